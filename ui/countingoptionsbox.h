// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_COUNTINGOPTIONSBOX_H
#define LENSTALLY_COUNTINGOPTIONSBOX_H

#include <QGroupBox>

class QCheckBox;
class QDateEdit;
struct AnalysisRequest;

// The window's counting options: the 35 mm estimate for every camera, RAW+JPEG pairs
// counted once, a date range, values from the maker notes and incomplete pictures counted,
// all off at start; a date field is enabled by its box.
class CountingOptionsBox : public QGroupBox
{
    Q_OBJECT

public:
    explicit CountingOptionsBox(QWidget* parent = nullptr);

    // Writes the options as ticked into request.
    void applyTo(AnalysisRequest* request) const;
    // Ticks the options as request has them; a date given ticks its box.
    void setFrom(const AnalysisRequest& request);

private:
    QCheckBox* chkEstimate35mm;
    QCheckBox* chkPairsOnce;
    QCheckBox* chkMakerNotes;
    QCheckBox* chkCountIncomplete;
    QCheckBox* chkTakenFrom;
    QCheckBox* chkTakenUntil;
    QDateEdit* dateTakenFrom;
    QDateEdit* dateTakenUntil;
};

#endif
