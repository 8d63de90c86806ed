#include "tests/hosted/BackgroundMessageThread.h"

BackgroundMessageThread::BackgroundMessageThread() : juce::Thread ("Message thread")
{
    startThread();
    started.wait (10000);
}

BackgroundMessageThread::~BackgroundMessageThread()
{
    juce::MessageManager::getInstance()->stopDispatchLoop();
    stopThread (10000);
}

void BackgroundMessageThread::run()
{
    auto* messageManager = juce::MessageManager::getInstance();
    messageManager->setCurrentThreadAsMessageThread();
    started.signal();
    messageManager->runDispatchLoop();
}
