#include "chat/DiscordArt.h"

#include "base/CodePoints.h"
#include "chat/ChatColours.h"

#include <optional>
#include <unordered_map>
#include <vector>

namespace torvo::chat {
namespace {

const QString Open = QStringLiteral("```ansi\n");
const QString Close = QStringLiteral("\n```");

struct Cell {
    char32_t ch;
    int colour; // of DiscordColours
};

// The Discord colour of each colour the art uses, worked out once.
class ColourCache {
public:
    explicit ColourCache(const Palette& palette) : palette_(palette) {}
    int operator()(Colour c) {
        const auto [at, added] = known_.try_emplace(c.value(), 0);
        if (added) at->second = discordColourOf(c, palette_);
        return at->second;
    }

private:
    const Palette& palette_;
    std::unordered_map<std::uint32_t, int> known_;
};

std::vector<std::vector<Cell>> cellLines(const RichText& art, const Palette& palette) {
    ColourCache discord(palette);
    std::vector<std::vector<Cell>> lines(1);
    for (int p = 0; p < art.size(); ++p) {
        if (art.charAt(p) == RichText::LF) lines.emplace_back();
        if (art.isLineBreak(p)) continue;
        lines.back().push_back({art.charAt(p), discord(art.colourAt(p))});
    }
    if (art.isEmpty() || art.endsWithLineBreak()) lines.pop_back();
    return lines;
}

// What one character writes after the colour `inForce` (none: -1), which it updates.
QString piece(const Cell& cell, int& inForce) {
    QString out;
    if (cell.ch != U' ' && cell.colour != inForce) {
        out = QStringLiteral("\x1b[%1m").arg(DiscordColours[std::size_t(cell.colour)].sgr);
        inForce = cell.colour;
    }
    appendCodePoint(out, cell.ch);
    return out;
}

class BlockWriter {
public:
    explicit BlockWriter(int limit) : limit_(limit) {}

    void addLine(const std::vector<Cell>& line) {
        int none = -1;
        QString alone;
        for (const Cell& cell : line)
            alone += piece(cell, none);
        // A line no block holds goes on from the room left in this one.
        if (Open.size() + alone.size() + Close.size() > limit_) {
            split(line);
            return;
        }
        if (lines_ > 0) {
            int state = inForce_;
            QString text = QStringLiteral("\n");
            for (const Cell& cell : line)
                text += piece(cell, state);
            if (fits(text.size())) {
                block_ += text;
                inForce_ = state;
                ++lines_;
                return;
            }
            finish();
        }
        block_ = alone;
        inForce_ = none;
        lines_ = 1;
    }
    QStringList take() {
        if (lines_ > 0) finish();
        return std::move(blocks_);
    }
    bool lineSplit() const { return lineSplit_; }

private:
    bool fits(qsizetype more) const { return Open.size() + block_.size() + more + Close.size() <= limit_; }
    void finish() {
        blocks_.append(Open + block_ + Close);
        block_.clear();
        lines_ = 0;
        inForce_ = -1;
    }
    // The line one character at a time, into as many blocks as it takes.
    void split(const std::vector<Cell>& line) {
        lineSplit_ = true;
        bool started = false;
        for (const Cell& cell : line) {
            QString text = !started && lines_ > 0 ? QStringLiteral("\n") : QString();
            int state = inForce_;
            text += piece(cell, state);
            if (!fits(text.size()) && !block_.isEmpty()) {
                finish();
                text = piece(cell, state = inForce_);
            }
            block_ += text;
            inForce_ = state;
            lines_ = std::max(lines_, 1);
            started = true;
        }
    }

    int limit_;
    QString block_;
    int lines_ = 0;
    int inForce_ = -1;
    QStringList blocks_;
    bool lineSplit_ = false;
};

} // namespace

DiscordBlocks discordBlocks(const RichText& art, const Palette& palette, int limit) {
    BlockWriter writer(limit);
    for (const std::vector<Cell>& line : cellLines(art, palette))
        writer.addLine(line);
    DiscordBlocks out;
    out.lineSplit = writer.lineSplit();
    out.blocks = writer.take();
    return out;
}

RichText discordPreview(const RichText& art, const Palette& palette) {
    ColourCache discord(palette);
    RichText shown(art.positions(), DiscordColours[std::size_t(discord(art.typingColour()))].colour);
    for (int p = 0; p < shown.size(); ++p)
        shown.setColour(p, DiscordColours[std::size_t(discord(art.colourAt(p)))].colour);
    return shown;
}

} // namespace torvo::chat
