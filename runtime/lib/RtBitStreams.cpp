// RtBit's stream operation, kept beside the streams it needs.
#include "runtime/core/RtCommon.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtInputStream.h"
#include "runtime/lib/RtOutputStream.h"

namespace zemtra {

std::shared_ptr<RtArray> RtBit::InputStreamToBytes(
    const std::shared_ptr<RtInputStream>& input) const {
    if (!input) raise(u"", u"Object was not initialized (%@)", {InputByteStream::kClassName});
    auto output = std::make_shared<RtOutputStream>();
    output->InitializeToBytesArray(8192);
    RtCommon::New()->service<RtFile>()->Copy2(input, output);
    return output->ToBytesArray();
}

}  // namespace zemtra
