// InputStreamToBytes: of the bit-operations object, on a real file.
#include <gtest/gtest.h>

#include "runtime/core/RtCommon.h"
#include "runtime/core/RtCore.h"
#include "runtime/lib/RtArray.h"
#include "runtime/lib/RtBit.h"
#include "runtime/lib/RtFile.h"
#include "runtime/lib/RtInputStream.h"
#include "tests/runtime/lib/FileTestSupport.h"
#include "tests/support/TestSupport.h"

namespace zemtra {
namespace {

using RtBitStreamsTest = testing::RuntimeTest;

TEST_F(RtBitStreamsTest, InputStreamToBytesReadsTheWholeStreamAndClosesIt) {
    testing::TemporaryFolder folder;
    std::string content(10000, 'q');  // more than one 8192-byte chunk
    content.back() = 'e';
    testing::writeBytes(folder.file("big.bin"), content);
    auto input = RtCommon::New()->service<RtFile>()->OpenInput(folder.dir(), u"big.bin");
    const Value bytes =
        RtCore::runDynamicMethod(Value(RtCommon::New()->service<RtBit>()), u"InputStreamToBytes:",
                                 true, std::array{Value(input)});
    const auto& stored = bytes.as<RtArray>()->bytesData()->bytes;
    EXPECT_EQ(std::string(stored.begin(), stored.end()), content);
    EXPECT_EQ(input->objectAs<InputByteStream>()->status(), StreamStatus::Closed);
}

}  // namespace
}  // namespace zemtra
