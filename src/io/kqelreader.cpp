#include "io/kqelreader.h"

namespace qelsdk_600 {

namespace {

const char* const kReaderErrors[KQelReader::eErrorCount] = {
    "File is corrupted",
    "File version is not supported yet",
    "File version is not supported anymore",
    "File not opened",
    "File not created",
    "Wrong password",
    "Stream options not set",
    "Unidentified error",
};

}  // namespace

KQelReader::KQelReader(KQelSdkManager& pManager)
    : mManager(pManager), mError(kReaderErrors, eErrorCount)
{
}

KQelReader::~KQelReader() {}

}  // namespace qelsdk_600
