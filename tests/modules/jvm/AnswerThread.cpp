#include "AnswerThread.h"

#include "ModuleCounters.h"

AnswerThread::AnswerThread(android::IOXAInterface* wave, int id, const std::string& text, int count,
                           std::chrono::microseconds pause)
    : mWave(wave),
      mId(id),
      mText(text),
      mCount(count),
      mPause(pause),
      mStopping(false),
      mDone(false) {
    ModuleCounters::threadStarted();
    mThread = std::thread(&AnswerThread::run, this);
}

AnswerThread::~AnswerThread() {
    stop();
}

void AnswerThread::stop() {
    mStopping = true;
    if (!mThread.joinable()) return;
    mThread.join();
    ModuleCounters::threadEnded();
}

void AnswerThread::run() {
    for (int i = 0; mCount == 0 || i < mCount; ++i) {
        if (mStopping) break;
        ModuleCounters::answer(mWave, mText.c_str(), mId);
        if (mPause.count() > 0) std::this_thread::sleep_for(mPause);
    }
    mDone = true;
}
