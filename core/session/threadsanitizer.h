// SPDX-License-Identifier: GPL-3.0-or-later
#ifndef LENSTALLY_THREADSANITIZER_H
#define LENSTALLY_THREADSANITIZER_H

// Qt is not built with ThreadSanitizer, so the hand-over that QThread::wait() makes
// (a futex the tool cannot see) must be told to it. Nothing happens in other builds.

#if defined(__SANITIZE_THREAD__)
#define LENSTALLY_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define LENSTALLY_TSAN 1
#endif
#endif

#ifdef LENSTALLY_TSAN
extern "C" void __tsan_acquire(void* addr);
extern "C" void __tsan_release(void* addr);
#endif

// Marks everything this thread did so far as visible to whoever calls tsanAcquire(tag).
inline void tsanRelease(void* tag)
{
#ifdef LENSTALLY_TSAN
    __tsan_release(tag);
#else
    (void)tag;
#endif
}

// Takes over what the releasing thread did before tsanRelease(tag).
inline void tsanAcquire(void* tag)
{
#ifdef LENSTALLY_TSAN
    __tsan_acquire(tag);
#else
    (void)tag;
#endif
}

#endif
