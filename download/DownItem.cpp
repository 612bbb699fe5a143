#include "download/DownItem.h"

#include "platform/PrivateTempDir.h"

CDownItem::CDownItem()
    : localFile(CreateNumberedTempFile("download_"))
{
}

CDownItem::~CDownItem()
{
    // The queue deletes a download only after its transfer thread has ended; joining here only
    // collects the thread.
    if (workerThread.joinable())
        workerThread.join();
    RemoveNumberedTempFile(localFile);
}
