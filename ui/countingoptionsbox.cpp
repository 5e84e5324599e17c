// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/countingoptionsbox.h"

#include "core/session/analysisrequest.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>

namespace {

QDateEdit* dateField(QWidget* parent, const char* name, const QDate& date, const QString& help)
{
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    edit->setCalendarPopup(true);
    edit->setMinimumDate(QDate(1826, 1, 1));
    edit->setMaximumDate(QDate(2200, 12, 31));
    edit->setEnabled(false);
    edit->setWhatsThis(help);
    return edit;
}

QCheckBox* checkBox(QWidget* parent, const char* name, const QString& text, const QString& help)
{
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(QLatin1String(name));
    box->setWhatsThis(help);
    return box;
}

} // namespace

CountingOptionsBox::CountingOptionsBox(QWidget* parent) : QGroupBox(tr("Counting"), parent)
{
    setObjectName(QStringLiteral("groupCounting"));
    chkEstimate35mm =
        checkBox(this, "chkEstimate35mm", tr("&Estimate 35 mm"),
                 tr("Where a picture gives no 35 mm focal length and its camera is not known, "
                    "estimates it from the focal-plane resolution and the picture size"));
    chkPairsOnce = checkBox(this, "chkPairsOnce", tr("RAW+JPEG &pairs once"),
                            tr("Counts the files of one shot (same folder and name, another "
                               "extension: RAW, JPEG, HEIF) once, the RAW file where it counts"));
    chkMakerNotes = checkBox(
        this, "chkMakerNotes", tr("Read &maker notes"),
        tr("Where the Exif tags give no focal length, f-number, ISO or exposure time, takes "
           "the value the camera's maker notes give (some cameras keep their ISO only there)"));
    chkCountIncomplete = checkBox(
        this, "chkCountIncomplete", tr("Count &incomplete pictures"),
        tr("Counts a picture with at least one of focal length, f-number, ISO and exposure "
           "time; each value it lacks goes to its table's \"Unknown\" row"));
    const QString rangeHelp = tr("Counts only pictures taken within the dates (whole days); "
                                 "pictures without a date are left out while a date is set");
    chkTakenFrom = checkBox(this, "chkTakenFrom", tr("Taken &from"), rangeHelp);
    chkTakenUntil = checkBox(this, "chkTakenUntil", tr("&until"), rangeHelp);
    const QDate today = QDate::currentDate();
    dateTakenFrom = dateField(this, "dateTakenFrom", QDate(today.year(), 1, 1), rangeHelp);
    dateTakenUntil = dateField(this, "dateTakenUntil", today, rangeHelp);
    connect(chkTakenFrom, &QCheckBox::toggled, dateTakenFrom, &QWidget::setEnabled);
    connect(chkTakenUntil, &QCheckBox::toggled, dateTakenUntil, &QWidget::setEnabled);

    // Two short rows rather than one long one: the window fits small screens.
    auto* grid = new QGridLayout(this);
    grid->addWidget(chkEstimate35mm, 0, 0);
    grid->addWidget(chkPairsOnce, 1, 0);
    grid->addWidget(chkTakenFrom, 0, 1);
    grid->addWidget(dateTakenFrom, 0, 2);
    grid->addWidget(chkTakenUntil, 1, 1);
    grid->addWidget(dateTakenUntil, 1, 2);
    grid->addWidget(chkMakerNotes, 0, 3);
    grid->addWidget(chkCountIncomplete, 1, 3);
    grid->setColumnStretch(4, 1);
    grid->setVerticalSpacing(2);
    const QMargins margins = grid->contentsMargins();
    grid->setContentsMargins(margins.left(), 2, margins.right(), 2);
}

void CountingOptionsBox::applyTo(AnalysisRequest* request) const
{
    request->estimate35mm = chkEstimate35mm->isChecked();
    request->pairsOnce = chkPairsOnce->isChecked();
    request->makerNotes = chkMakerNotes->isChecked();
    request->countIncomplete = chkCountIncomplete->isChecked();
    request->takenFrom = chkTakenFrom->isChecked() ? dateTakenFrom->date() : QDate();
    request->takenUntil = chkTakenUntil->isChecked() ? dateTakenUntil->date() : QDate();
}

void CountingOptionsBox::setFrom(const AnalysisRequest& request)
{
    chkEstimate35mm->setChecked(request.estimate35mm);
    chkPairsOnce->setChecked(request.pairsOnce);
    chkMakerNotes->setChecked(request.makerNotes);
    chkCountIncomplete->setChecked(request.countIncomplete);
    chkTakenFrom->setChecked(request.takenFrom.isValid());
    if (request.takenFrom.isValid())
        dateTakenFrom->setDate(request.takenFrom);
    chkTakenUntil->setChecked(request.takenUntil.isValid());
    if (request.takenUntil.isValid())
        dateTakenUntil->setDate(request.takenUntil);
}
