// ANSI art files on arbitrary bytes (SAUCE record, code page or UTF-8, any escape
// sequences): no crash, no hang; the picture is rows of characters, each row ending in a
// line break and none in a space; the plain player draws what libvterm draws, and
// the picture handed over in pieces is the whole one.
#include "files/AnsiReader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<torvo::Result<torvo::AnsiArt>> played =
        torvo::readAnsiArt(in, torvo::Palette(), 200000);
    if (!played) std::abort(); // nothing calls it off
    const torvo::Result<torvo::AnsiArt>& art = *played;
    if (!art) {
        if (art.why().isEmpty() || *torvo::readAnsiArt(in, torvo::Palette(), 200000, {}, false)) std::abort();
        return 0;
    }
    const torvo::RichText& t = art->text;
    if (!t.isEmpty() && !t.endsWithLineBreak()) std::abort();
    for (int p = 1; p < t.size(); ++p)
        if (t.charAt(p) == torvo::RichText::CR && t.charAt(p - 1) == U' ') std::abort();
    // Handed over a few rows at a time, it is the same picture.
    torvo::RichText joined;
    const torvo::PictureStream stream{[&joined](const torvo::RichText& piece) {
                                          joined.replace(joined.size(), 0, piece);
                                          return true;
                                      },
                                      qsizetype(size % 97)};
    if (!*torvo::readAnsiArt(in, torvo::Palette(), 200000, {}, true, &stream) ||
        joined.positions() != t.positions())
        std::abort();
    const torvo::Result<torvo::AnsiArt> terminal =
        *torvo::readAnsiArt(in, torvo::Palette(), 200000, {}, false);
    if (!terminal || terminal->text.positions() != t.positions() ||
        terminal->backgroundCells != art->backgroundCells)
        std::abort();
    return 0;
}
