// The RTF reader on arbitrary bytes: no crash, no hang, bounded output, and whatever it
// reads can be written and read back unchanged.
#include "files/RtfReader.h"
#include "files/RtfWriter.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<torvo::RichText> text = torvo::readRtf(in, &error, 1 << 20);
    if (!text) {
        if (error.isEmpty()) std::abort();
        return 0;
    }
    const std::optional<torvo::RichText> again = torvo::readRtf(torvo::writeRtf(*text), nullptr);
    if (!again || !(*again == *text)) std::abort();
    return 0;
}
