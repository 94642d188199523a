#include "io/kqelwriter.h"

namespace qelsdk_600 {

namespace {

const char* const kWriterErrors[KQelWriter::eErrorCount] = {
    "File is corrupted",
    "File not opened",
    "File not created",
    "Out of disk space",
    "Stream options not set",
    "Unidentified error",
};

}  // namespace

KQelWriter::KQelWriter(KQelSdkManager& pManager)
    : mManager(pManager), mError(kWriterErrors, eErrorCount), mPendingNodes(nullptr)
{
}

KQelWriter::~KQelWriter() {}

}  // namespace qelsdk_600
