#pragma once

#include "art/Colour.h"
#include "art/RichText.h"
#include "convert/CodeWalk.h"
#include "files/ExportText.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class QIODevice;

namespace torvo {

// Six upper-case hex digits, red then green then blue: "FF0000" for pure red.
QString ColorToHex(Colour colour);

// The web page's file, in UTF-8 with the closing CR LF: a black page with the art in a
// preformatted block, every run of one colour in its own FONT element. "&", "<" and ">"
// of the art are escaped so the page stays well-formed. Nullopt when cancelled.
std::optional<QByteArray> htmlPageFile(const RichText& text, const std::function<bool()>& cancelled = {});

// The same file written to `out` a stretch of the art at a time, so that a long export never
// holds the whole page (it is several times the art). False when `out` refused a piece (its
// errorString says why); nullopt when cancelled.
std::optional<bool> writeHtmlPage(const RichText& text, QIODevice& out,
                                  const std::function<bool()>& cancelled = {});

// The page written to a device as the art comes, a piece at a time: the pieces added in
// order make the page of the whole art. Nothing is written before the first piece.
class HtmlPageWriter {
public:
    explicit HtmlPageWriter(QIODevice& out);
    // False when `out` refused a write (its errorString says why); nullopt when cancelled.
    std::optional<bool> add(const RichText& piece, const std::function<bool()>& cancelled = {});
    // The end of the page.
    bool finish();

private:
    bool write();

    QIODevice& out_;
    CodeWalkPolicy policy_;
    CodeWalker walker_;
    CodeWalkState state_;
    QByteArray buffer_;
};

// The same page as text, without the closing CR LF.
std::optional<QString> SalvarComoHTML(const RichText& text, const std::function<bool()>& cancelled = {});

} // namespace torvo
