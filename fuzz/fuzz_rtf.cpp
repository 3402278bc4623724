// The RTF reader on arbitrary bytes: no crash, no hang, bounded output, and whatever it
// reads can be written and read back unchanged.
#include "files/RtfReader.h"
#include "files/RtfWriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    const torvo::Result<torvo::RichText> text = torvo::readRtf(in, 1 << 20);
    if (!text) {
        if (text.why().isEmpty()) std::abort();
        return 0;
    }
    const torvo::Result<torvo::RichText> again = torvo::readRtf(torvo::writeRtf(*text));
    if (!again || !(*again == *text)) std::abort();
    return 0;
}
