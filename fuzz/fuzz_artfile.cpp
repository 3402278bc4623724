// The file reader on arbitrary bytes (quoted shape, RTF or plain text): no crash, no
// hang; what it loads saves and reopens unchanged in the own format.
#include "files/ArtFile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    const torvo::Result<torvo::LoadedArt> loaded = torvo::decodeArtFile(in);
    if (!loaded) {
        if (loaded.why().isEmpty()) std::abort();
        return 0;
    }
    const QByteArray own = torvo::encodeArtFile(loaded->text, torvo::SaveFormat::Own);
    const torvo::Result<torvo::LoadedArt> again = torvo::decodeArtFile(own);
    if (!again || !again->rich || !(again->text == loaded->text)) std::abort();
    return 0;
}
