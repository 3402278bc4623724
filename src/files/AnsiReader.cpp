#include "files/AnsiReader.h"

#include "convert/ColourChange.h"
#include "files/CodePage.h"
#include "files/Sauce.h"
#include "palette/Vocabulary.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include <vterm.h>

namespace torvo {
namespace {

constexpr char32_t RightHalf = 0xFFFFFFFF; // the second column of a wide character

struct Cell {
    char32_t ch = 0;   // 0: nothing was written here
    quint32 marks = 0; // 1 + index of the combining marks that follow ch, 0 for none
    Colour colour;     // the palette colour of the foreground
    bool background = false;
};

bool blank(const Cell& c) {
    return c.ch == 0 || c.ch == U' ' || c.ch == RightHalf;
}

// The bytes as the terminal takes them: UTF-8. The SCO forms ESC "[s" and ESC "[u" that
// ANSI art saves and restores the cursor with are given as ESC "7" and ESC "8": the state
// machine reads CSI s as the margin command of a later terminal. An escape byte always
// starts a new sequence, so these three bytes cannot be part of another one.
// Control sequences are passed on as libvterm 0.1.4 can take them: it writes past its
// array after 16 parameters, counts that do not fit an int go negative, and a repeat (CSI
// Ps b) before any character loops for ever. So no more than 16 parameters, none above
// 9999 (far beyond any screen), and no repeats; nothing else is changed.
class TerminalInput {
public:
    TerminalInput(QByteArrayView content, bool utf8)
        : s_(content.data()), n_(content.size()), utf8_(utf8),
          out_(content.size() * (utf8 ? 1 : 3) + 8, Qt::Uninitialized), w_(out_.data()) {}

    // Hands the bytes to sink in pieces of about Piece bytes, each ending between two
    // sequences (only the first piece's memory is ever touched); stops when sink says so.
    template <class Sink> void run(Sink&& sink) {
        constexpr qsizetype Piece = 64 * 1024;
        for (i_ = 0; i_ < n_; ++i_) {
            if (w_ - out_.data() >= Piece) {
                if (!sink(QByteArrayView(out_.data(), w_ - out_.data()))) return;
                w_ = out_.data();
            }
            const char b = s_[i_];
            if (b != 0x1B) {
                // Text runs up to the next escape.
                const void* next = std::memchr(s_ + i_, 0x1B, std::size_t(n_ - i_));
                const qsizetype end = std::min(next ? static_cast<const char*>(next) - s_ : n_, i_ + Piece);
                if (utf8_) {
                    std::memcpy(w_, s_ + i_, std::size_t(end - i_));
                    w_ += end - i_;
                } else {
                    for (qsizetype k = i_; k < end; ++k)
                        text(s_[k]);
                }
                i_ = end - 1;
                continue;
            }
            // libvterm starts a control sequence at a "[" after the escape even past
            // intermediates, controls (which act at once) and characters. Past characters
            // no terminal would: that escape becomes a cancel byte, which still ends
            // whatever the escape would have ended.
            qsizetype j = i_ + 1;
            bool intermediate = false;
            while (j < n_ && (quiet(s_[j]) || (s_[j] >= 0x20 && s_[j] <= 0x2F))) {
                intermediate = intermediate || !quiet(s_[j]);
                ++j;
            }
            if (j < n_ && static_cast<unsigned char>(s_[j]) >= 0x80) {
                put(0x18);
                continue;
            }
            char* const escape = w_;
            put(b);
            if (j >= n_ || s_[j] != '[') continue;
            std::string controls;
            for (++i_; i_ < j; ++i_) {
                put(s_[i_]);
                if (quiet(s_[i_])) controls.push_back(s_[i_]);
            }
            if (!intermediate && j + 1 < n_ && (s_[j + 1] == 's' || s_[j + 1] == 'u')) {
                put(s_[j + 1] == 's' ? '7' : '8');
                ++i_;
            } else {
                controlSequence(escape, controls);
            }
        }
        sink(QByteArrayView(out_.data(), w_ - out_.data()));
    }

private:
    static bool quiet(char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && u != 0x1B && u != 0x18 && u != 0x1A) || u == 0x7F;
    }
    static bool cancels(unsigned char c) { return c == 0x1B || c == 0x18 || c == 0x1A; }
    void put(char c) { *w_++ = c; }
    void text(char b) {
        if (utf8_ || static_cast<unsigned char>(b) < 0x80) {
            put(b);
            return;
        }
        const char16_t c = codePage_.character(static_cast<unsigned char>(b));
        if (c < 0x800) {
            put(char(0xC0 | c >> 6));
        } else {
            put(char(0xE0 | c >> 12));
            put(char(0x80 | (c >> 6 & 0x3F)));
        }
        put(char(0x80 | (c & 0x3F)));
    }
    void number(int v) {
        char digits[4];
        int k = 0;
        do {
            digits[k++] = char('0' + v % 10);
            v /= 10;
        } while (v > 0);
        while (k > 0)
            put(digits[--k]);
    }

    // From the "[" at i_ (the escape and the controls after it are written) to the final
    // byte; i_ ends on the last byte taken. Characters inside are dropped: they would not
    // end the sequence. A repeat leaves a cancel byte and the controls that were inside it.
    void controlSequence(char* escape, std::string& controls) {
        put('[');
        int separators = 0;
        int value = -1; // the digits of the parameter being read, -1 for none yet
        const auto flush = [&] {
            if (value >= 0 && separators < 16) number(value);
            value = -1;
        };
        for (++i_; i_ < n_; ++i_) {
            const auto c = static_cast<unsigned char>(s_[i_]);
            if (cancels(c)) {
                flush();
                --i_; // the byte starts what comes next
                return;
            }
            if (c >= 0x80) continue;
            if (c < 0x20 || c == 0x7F) {
                put(char(c)); // a control inside the sequence acts at once
                controls.push_back(char(c));
            } else if (c >= '0' && c <= '9') {
                value = std::min((value < 0 ? 0 : value) * 10 + (c - '0'), 9999);
            } else if (c == ';' || c == ':') {
                flush();
                if (++separators < 16) put(char(c));
            } else if (c >= 0x3C && c <= 0x3F) {
                if (separators < 16) put(char(c));
            } else {
                flush();
                finalByte(escape, controls);
                return;
            }
        }
        flush();
    }
    // The intermediates and the final byte at i_; parameters can no longer follow.
    void finalByte(char* escape, std::string& controls) {
        for (; i_ < n_; ++i_) {
            const auto c = static_cast<unsigned char>(s_[i_]);
            if (cancels(c)) {
                --i_;
                return;
            }
            if (c >= 0x80) continue;
            if (c == 'b') {
                w_ = escape;
                put(0x18);
                for (const char k : controls)
                    put(k);
                return;
            }
            put(char(c));
            if (c < 0x20 || c == 0x7F) controls.push_back(char(c));
            if (c >= 0x40 && c <= 0x7E) return;
        }
    }

    const char* s_;
    const qsizetype n_;
    const bool utf8_;
    const CodePage& codePage_ = CodePage::ibm437();
    QByteArray out_;
    char* w_;
    qsizetype i_ = 0;
};

// ASCII is UTF-8: the full check starts at the first eight bytes that hold more.
bool isUtf8(QByteArrayView bytes) {
    qsizetype i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        quint64 word;
        std::memcpy(&word, bytes.data() + i, 8);
        if (word & 0x8080808080808080ull) break;
    }
    return bytes.sliced(i).isValidUtf8();
}

// A screen of rows x columns cells over libvterm's state machine. Rows are reached through
// a table, so scrolling moves row numbers, not cells; a row that leaves the top is final
// and goes straight into the picture.
class Screen {
public:
    Screen(int columns, const Palette& palette, int maxPositions)
        : cols_(columns), palette_(palette), maxPositions_(maxPositions),
          cells_(std::size_t(AnsiRows) * std::size_t(columns)), rowOf_(AnsiRows) {
        for (int r = 0; r < AnsiRows; ++r)
            rowOf_[std::size_t(r)] = r;
        for (int ansi = 0; ansi < 16; ++ansi)
            inks_[std::size_t(ansi)] = palette_[vocabulary::paletteEntryOfAnsiColour(ansi)];
        vt_ = vterm_new(AnsiRows, cols_);
        vterm_set_utf8(vt_, 1);
        // Answers to the file's queries go nowhere.
        vterm_output_set_callback(
            vt_, [](const char*, size_t, void*) {}, nullptr);
        state_ = vterm_obtain_state(vt_);
        static const VTermStateCallbacks callbacks = {
            &Screen::putglyph,
            nullptr,
            &Screen::scrollrect,
            &Screen::moverect,
            &Screen::erase,
            nullptr,
            &Screen::setpenattr,
            nullptr,
            nullptr,
            nullptr,
            nullptr,
        };
        vterm_state_set_callbacks(state_, &callbacks, this);
        vterm_state_reset(state_, 1);
        VTermValue v;
        vterm_state_get_penattr(state_, VTERM_ATTR_FOREGROUND, &v);
        pen_.fg = defaultFg_ = v.color;
        vterm_state_get_penattr(state_, VTERM_ATTR_BACKGROUND, &v);
        pen_.bg = defaultBg_ = v.color;
        // A line feed also returns the carriage, as a terminal's line discipline makes it
        // for files with bare line feeds.
        write("\x1b[20h");
        updatePen();
    }
    ~Screen() { vterm_free(vt_); }
    Screen(const Screen&) = delete;
    Screen& operator=(const Screen&) = delete;

    void write(QByteArrayView bytes) { vterm_input_write(vt_, bytes.data(), std::size_t(bytes.size())); }
    bool full() const { return given_ + out_.size() > maxPositions_; }

    // Final rows go to `stream` as they come, except the first `given` positions: a play
    // before this one handed them over already, and the same bytes make the same rows.
    void streamTo(const PictureStream* stream, qsizetype given) {
        stream_ = stream;
        skip_ = given;
    }
    bool refused() const { return refused_; }
    qsizetype given() const { return given_; }

    // The rows still on the screen; empty rows at the end are dropped.
    void finish() {
        for (int r = 0; r < AnsiRows && !full(); ++r)
            emitRow(r);
        handOver();
    }
    RichText& picture() { return out_; }
    qsizetype backgroundCells() const { return background_; }

private:
    Cell* row(int r) { return &cells_[std::size_t(rowOf_[std::size_t(r)]) * std::size_t(cols_)]; }
    Cell& at(int r, int c) { return row(r)[c]; }

    // The palette colour of a terminal colour drawn as ink (bright when bold).
    Colour inkOf(VTermColor c, bool bold) const {
        int ansi;
        if (VTERM_COLOR_IS_DEFAULT_FG(&c)) {
            ansi = bold ? 15 : 7;
        } else if (VTERM_COLOR_IS_DEFAULT_BG(&c)) {
            ansi = 0;
        } else if (VTERM_COLOR_IS_INDEXED(&c) && c.indexed.idx < 16) {
            ansi = c.indexed.idx < 8 && bold ? c.indexed.idx + 8 : c.indexed.idx;
        } else {
            // 256-colour and direct colours: the nearest palette colour.
            vterm_state_convert_color_to_rgb(state_, &c);
            return GetColor(Colour::fromRgb(c.rgb.red, c.rgb.green, c.rgb.blue), palette_);
        }
        return inks_[std::size_t(ansi)];
    }
    bool notBlack(VTermColor c) const {
        if (VTERM_COLOR_IS_DEFAULT_FG(&c)) return true;
        if (VTERM_COLOR_IS_DEFAULT_BG(&c)) return false;
        if (VTERM_COLOR_IS_INDEXED(&c) && c.indexed.idx < 16) return c.indexed.idx != 0;
        vterm_state_convert_color_to_rgb(state_, &c);
        return c.rgb.red != 0 || c.rgb.green != 0 || c.rgb.blue != 0;
    }
    void updatePen() {
        if (!penChanged_) return;
        penChanged_ = false;
        // Reverse video draws the characters in the background colour, on the foreground.
        ink_ = pen_.reverse ? inkOf(pen_.bg, false) : inkOf(pen_.fg, pen_.bold);
        paper_ = notBlack(pen_.reverse ? pen_.fg : pen_.bg);
        erasePaper_ = notBlack(pen_.bg);
    }
    Cell blankCell() {
        updatePen();
        return Cell{0, 0, ink_, erasePaper_};
    }
    void clearRow(int r) { std::fill_n(row(r), cols_, blankCell()); }

    // A row that is final: its characters and a line break, the blanks at its end left
    // out. Empty rows wait until a row with characters follows them.
    void emitRow(int r) {
        const Cell* cells = row(r);
        qsizetype painted = 0;
        for (int c = 0; c < cols_; ++c)
            painted += cells[c].background ? 1 : 0;
        int end = cols_;
        while (end > 0 && blank(cells[end - 1]))
            --end;
        if (end == 0) {
            ++pendingRows_;
            pendingBackground_ += painted;
            return;
        }
        for (; pendingRows_ > 0; --pendingRows_)
            out_.appendLineBreak();
        background_ += pendingBackground_ + painted;
        pendingBackground_ = 0;
        // A cell nothing was written to becomes a space in the colour of the next character,
        // as the grid writes its empty cells back.
        int next = 0;
        for (int c = 0; c < end; ++c) {
            const Cell& cell = cells[c];
            if (cell.ch == RightHalf) continue;
            if (cell.ch == 0) {
                next = std::max(next, c);
                while (cells[next].ch == 0 || cells[next].ch == RightHalf)
                    ++next;
                out_.append(U' ', cells[next].colour);
                continue;
            }
            out_.append(cell.ch, cell.colour);
            if (cell.marks != 0)
                for (const char32_t m : marks_[cell.marks - 1])
                    out_.append(m, cell.colour);
        }
        out_.appendLineBreak();
        if (stream_ && out_.size() >= stream_->piece) handOver();
    }

    void handOver() {
        if (!stream_ || refused_ || out_.isEmpty()) return;
        given_ += out_.size();
        const Colour last = out_.colourAt(out_.size());
        if (skip_ > 0) {
            const int dropped = int(std::min<qsizetype>(skip_, out_.size()));
            out_.replace(0, dropped, RichText());
            skip_ -= dropped;
        }
        refused_ = !out_.isEmpty() && !stream_->take(out_);
        out_.clear();
        // A line break that starts the next piece takes the colour it would have in one text.
        out_.setTypingColour(last);
    }

    static Screen* self(void* user) { return static_cast<Screen*>(user); }

    friend class PlainPlayer;

    static int putglyph(VTermGlyphInfo* info, VTermPos pos, void* user) {
        Screen* s = self(user);
        if (pos.row < 0 || pos.row >= AnsiRows || pos.col < 0 || pos.col >= s->cols_) return 1;
        s->updatePen();
        Cell* cells = s->row(pos.row);
        // Half of a wide character that is overwritten takes its other half with it.
        if (cells[pos.col].ch == RightHalf && pos.col > 0) cells[pos.col - 1].ch = 0;
        const int width = std::clamp(info->width, 1, 2);
        if (pos.col + width < s->cols_ && cells[pos.col + width].ch == RightHalf)
            cells[pos.col + width].ch = 0;
        Cell& cell = cells[pos.col];
        const quint32 oldMarks = cell.marks;
        cell = Cell{info->chars[0], 0, s->ink_, s->paper_};
        if (info->chars[0] != 0 && info->chars[1] != 0) {
            std::u32string marks;
            for (int i = 1; i < VTERM_MAX_CHARS_PER_CELL && info->chars[i] != 0; ++i)
                marks.push_back(info->chars[i]);
            if (oldMarks != 0) {
                s->marks_[oldMarks - 1] = std::move(marks);
                cell.marks = oldMarks;
            } else {
                s->marks_.push_back(std::move(marks));
                cell.marks = quint32(s->marks_.size());
            }
        }
        if (width == 2 && pos.col + 1 < s->cols_) cells[pos.col + 1] = Cell{RightHalf, 0, s->ink_, s->paper_};
        return 1;
    }

    static int erase(VTermRect rect, int, void* user) {
        Screen* s = self(user);
        const Cell blank = s->blankCell();
        for (int r = std::max(rect.start_row, 0); r < std::min(rect.end_row, AnsiRows); ++r) {
            Cell* cells = s->row(r);
            for (int c = std::max(rect.start_col, 0); c < std::min(rect.end_col, s->cols_); ++c)
                cells[c] = blank;
        }
        return 1;
    }

    static int moverect(VTermRect dest, VTermRect src, void* user) {
        Screen* s = self(user);
        const int rows = src.end_row - src.start_row, cols = src.end_col - src.start_col;
        if (rows <= 0 || cols <= 0) return 1;
        // Row by row in the order that reads every source row before it is overwritten.
        const bool up = dest.start_row <= src.start_row;
        for (int i = 0; i < rows; ++i) {
            const int r = up ? i : rows - 1 - i;
            std::memmove(s->row(dest.start_row + r) + dest.start_col,
                         s->row(src.start_row + r) + src.start_col, std::size_t(cols) * sizeof(Cell));
        }
        return 1;
    }

    // Whole-width scrolls turn the row table; a row leaving the top of the screen is final.
    // Anything else is left to libvterm, which moves and erases through the callbacks above.
    static int scrollrect(VTermRect rect, int downward, int rightward, void* user) {
        Screen* s = self(user);
        if (rightward != 0 || downward == 0 || rect.start_col != 0 || rect.end_col != s->cols_) return 0;
        const int height = rect.end_row - rect.start_row;
        const int n = int(std::min<long long>(std::llabs(downward), height));
        const auto first = s->rowOf_.begin() + rect.start_row, last = s->rowOf_.begin() + rect.end_row;
        if (downward > 0) {
            if (rect.start_row == 0)
                for (int r = 0; r < n; ++r)
                    s->emitRow(r);
            std::rotate(first, first + n, last);
            for (int r = rect.end_row - n; r < rect.end_row; ++r)
                s->clearRow(r);
        } else {
            std::rotate(first, last - n, last);
            for (int r = rect.start_row; r < rect.start_row + n; ++r)
                s->clearRow(r);
        }
        return 1;
    }

    // The colours are worked out again before the next character or erase that needs them.
    static int setpenattr(VTermAttr attr, VTermValue* value, void* user) {
        Pen& pen = self(user)->pen_;
        switch (attr) {
        case VTERM_ATTR_BOLD:
            pen.bold = value->boolean != 0;
            break;
        case VTERM_ATTR_REVERSE:
            pen.reverse = value->boolean != 0;
            break;
        case VTERM_ATTR_FOREGROUND:
            pen.fg = value->color;
            break;
        case VTERM_ATTR_BACKGROUND:
            pen.bg = value->color;
            break;
        default:
            return 1;
        }
        self(user)->penChanged_ = true;
        return 1;
    }

    VTerm* vt_ = nullptr;
    VTermState* state_ = nullptr;
    const int cols_;
    const Palette palette_;
    std::array<Colour, 16> inks_;
    const int maxPositions_;
    std::vector<Cell> cells_;
    std::vector<int> rowOf_;
    std::vector<std::u32string> marks_;
    Colour ink_;
    bool paper_ = false;
    bool erasePaper_ = false;
    struct Pen {
        bool bold = false;
        bool reverse = false;
        VTermColor fg, bg;
    } pen_;
    VTermColor defaultFg_, defaultBg_;
    bool penChanged_ = true;
    RichText out_{colours::White};
    const PictureStream* stream_ = nullptr;
    qsizetype given_ = 0; // positions handed over, or made by this play and skipped
    qsizetype skip_ = 0;
    bool refused_ = false;
    int pendingRows_ = 0;
    qsizetype pendingBackground_ = 0;
    qsizetype background_ = 0;
};

// Plays most ANSI art without libvterm, on the same screen and to the same picture, from the
// file's own bytes: text, CR, LF and the colour sequences (SGR) as libvterm's state machine
// takes them after TerminalInput (deferred wrap at the last column, a line feed that also
// returns the carriage, scrolling at the bottom row, SGR without bold as bright). The
// characters are those of code page 437, each one column wide for libvterm. Anything else
// makes it give up, and the file is played again on libvterm.
class PlainPlayer {
public:
    PlainPlayer(Screen& screen, bool utf8) : s_(screen), utf8_(utf8) {
        for (int c = 0x20; c < 0x7F; ++c)
            single_[std::size_t(c)] = char32_t(c);
        if (!utf8)
            for (int c = 0x80; c < 0x100; ++c)
                single_[std::size_t(c)] = CodePage::ibm437().character(static_cast<unsigned char>(c));
    }

    // False when the file holds what only libvterm plays. keepGoing() is asked every so
    // often; when it says no, the playing stops there.
    template <class KeepGoing> bool play(QByteArrayView content, KeepGoing&& keepGoing) {
        const auto* b = reinterpret_cast<const unsigned char*>(content.data());
        const qsizetype n = content.size();
        qsizetype check = 0;
        for (qsizetype i = 0; i < n;) {
            if (i >= check) {
                if (!keepGoing()) return true;
                check = i + 64 * 1024;
            }
            const unsigned char c = b[i];
            if (single_[c] != 0) {
                i = run(b, i, n);
            } else if (c >= 0x80 && utf8_) {
                const qsizetype length = character(b, i, n);
                if (length == 0) return false;
                i += length;
            } else if (c == '\r' || c == '\n') {
                const int row = row_, col = col_;
                if (c == '\n') lineFeed(); // the line feed mode is set: it returns the carriage too
                col_ = 0;
                if (row != row_ || col != col_) phantom_ = false;
                ++i;
            } else if (c == 0x1B) {
                i = sgr(b, i, n);
                if (i < 0) return false;
            } else {
                return false;
            }
        }
        return true;
    }

private:
    static bool plainCharacter(char32_t ch) {
        static const std::vector<bool> high = [] {
            std::vector<bool> set(0x10000);
            for (int b = 0x80; b < 0x100; ++b)
                set[CodePage::ibm437().character(static_cast<unsigned char>(b))] = true;
            return set;
        }();
        return ch < 0x10000 && high[ch];
    }

    // The UTF-8 character at i drawn: its length, or 0 when libvterm must play it.
    qsizetype character(const unsigned char* b, qsizetype i, qsizetype n) {
        const unsigned char c = b[i];
        const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > n) return 0;
        char32_t ch = c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            if ((b[i + k] & 0xC0) != 0x80) return 0;
            ch = ch << 6 | (b[i + k] & 0x3F);
        }
        if (ch < 0x80 || !plainCharacter(ch)) return 0;
        text(ch);
        return length;
    }

    // The characters of one byte from i along the row, as text() would write them one by one:
    // the index after them.
    qsizetype run(const unsigned char* b, qsizetype i, qsizetype n) {
        if (phantom_) {
            lineFeed();
            col_ = 0;
            phantom_ = false;
        }
        s_.updatePen();
        Cell* cells = s_.row(row_);
        const Cell pen{0, 0, s_.ink_, s_.paper_};
        const qsizetype end = std::min(n, i + (s_.cols_ - col_));
        qsizetype k = i;
        for (int c = col_; k < end && single_[b[k]] != 0; ++k, ++c) {
            cells[c] = pen;
            cells[c].ch = single_[b[k]];
        }
        col_ += int(k - i);
        if (col_ >= s_.cols_) {
            col_ = s_.cols_ - 1;
            phantom_ = true; // line wrap is on
        }
        return k;
    }

    void text(char32_t ch) {
        if (phantom_ || col_ + 1 > s_.cols_) {
            lineFeed();
            col_ = 0;
            phantom_ = false;
        }
        // What libvterm's glyph would do: nothing here is wide or combined.
        s_.updatePen();
        s_.row(row_)[col_] = Cell{ch, 0, s_.ink_, s_.paper_};
        if (col_ + 1 >= s_.cols_)
            phantom_ = true; // line wrap is on
        else
            ++col_;
    }

    void lineFeed() {
        if (row_ == AnsiRows - 1) {
            const VTermRect all{0, AnsiRows, 0, s_.cols_};
            Screen::scrollrect(all, 1, 0, &s_);
        } else {
            ++row_;
        }
    }

    // ESC "[" parameters "m" from i: the index after it, or -1 for anything else.
    qsizetype sgr(const unsigned char* b, qsizetype i, qsizetype n) {
        if (i + 1 >= n || b[i + 1] != '[') return -1;
        int args[16];
        int count = 0;
        int value = -1; // -1: the parameter is missing
        qsizetype j = i + 2;
        for (;; ++j) {
            if (j >= n) return -1;
            const unsigned char c = b[j];
            if (c >= '0' && c <= '9') {
                value = std::min((value < 0 ? 0 : value) * 10 + (c - '0'), 99999);
            } else if (c == ';' || c == 'm') {
                if (count == 16) return -1;
                args[count++] = value;
                value = -1;
                if (c == 'm') break;
            } else {
                return -1;
            }
        }
        for (int k = 0; k < count; ++k)
            if (!knownAttribute(args[k])) return -1;
        for (int k = 0; k < count; ++k)
            apply(args[k]);
        return j + 1;
    }
    // Reset, the attributes the picture does not keep (italic, underline, blink, strike)
    // and their ends, bold, reverse, and the 16 colours both ways: one parameter each.
    static bool knownAttribute(int a) {
        static constexpr auto Known = [] {
            std::array<bool, 109> known{}; // a + 1: the missing parameter is -1
            for (const int single : {-1, 0, 1, 3, 4, 5, 7, 9, 21, 22, 23, 24, 25, 27, 29, 39, 49})
                known[std::size_t(single + 1)] = true;
            for (const int first : {30, 40, 90, 100})
                for (int k = 0; k < 8; ++k)
                    known[std::size_t(first + k + 1)] = true;
            return known;
        }();
        return a >= -1 && a < int(Known.size()) - 1 && Known[std::size_t(a + 1)];
    }
    void apply(int a) {
        Screen::Pen& pen = s_.pen_;
        VTermColor indexed;
        switch (a) {
        case -1:
        case 0:
            pen.bold = pen.reverse = false;
            pen.fg = s_.defaultFg_;
            pen.bg = s_.defaultBg_;
            break;
        case 1:
        case 22:
            pen.bold = a == 1;
            break;
        case 7:
        case 27:
            pen.reverse = a == 7;
            break;
        case 39:
            pen.fg = s_.defaultFg_;
            break;
        case 49:
            pen.bg = s_.defaultBg_;
            break;
        default:
            if (a < 30) return; // an attribute the picture does not keep
            vterm_color_indexed(&indexed, uint8_t(a >= 90 ? (a >= 100 ? a - 100 : a - 90) + 8 : a % 10));
            if ((a >= 40 && a <= 47) || a >= 100)
                pen.bg = indexed;
            else
                pen.fg = indexed;
        }
        s_.penChanged_ = true;
    }

    Screen& s_;
    const bool utf8_;
    std::array<char32_t, 256> single_{}; // the character of a byte that is one, else 0
    int row_ = 0, col_ = 0;
    bool phantom_ = false; // written at the last column: the next character wraps first
};

} // namespace

std::optional<Result<AnsiArt>> readAnsiArt(QByteArrayView file, const Palette& palette, int maxPositions,
                                           const std::function<bool()>& cancelled, bool plain,
                                           const PictureStream* stream) {
    const SauceSplit split = splitSauce(file);
    AnsiArt art;
    art.columns = AnsiColumns;
    if (split.record && split.record->dataType == SauceRecord::Character && split.record->tInfo1 > 0)
        art.columns = std::min<int>(split.record->tInfo1, AnsiMaxColumns);
    QByteArrayView content = split.content;
    art.utf8 = isUtf8(content);
    if (art.utf8 && content.startsWith("\xEF\xBB\xBF")) content = content.sliced(3);

    // Played first without libvterm, which takes most of the time; again on libvterm if the
    // file holds more than the plain player knows.
    std::optional<Screen> played;
    bool stopped = false;
    for (const bool plainPass : {true, false}) {
        if (plainPass && !plain) continue;
        if (played && played->refused()) return std::nullopt;
        const qsizetype given = played ? played->given() : 0;
        Screen& screen = played.emplace(art.columns, palette, maxPositions);
        screen.streamTo(stream, given);
        // Each byte gives at most one character, unless the cursor jumps.
        const qsizetype expected = std::min<qsizetype>(content.size(), maxPositions);
        screen.picture().reserve(
            std::size_t(stream ? std::min(expected, stream->piece + 2 * art.columns) : expected) + 2);
        // A huge file stops as soon as its picture is too large.
        const auto keepGoing = [&] {
            stopped = (cancelled && cancelled()) || screen.refused();
            return !stopped && !screen.full();
        };
        if (plainPass) {
            if (PlainPlayer(screen, art.utf8).play(content, keepGoing)) break;
            continue;
        }
        TerminalInput(content, art.utf8).run([&](QByteArrayView piece) {
            if (!keepGoing()) return false;
            screen.write(piece);
            return true;
        });
    }
    if (stopped) return std::nullopt;
    Screen& screen = *played;
    screen.finish();
    if (screen.refused()) return std::nullopt;
    if (screen.full())
        return Failure{QStringLiteral("El dibujo pasa de %1 caracteres: es demasiado grande para abrirlo.")
                           .arg(maxPositions)};
    art.text = std::move(screen.picture());
    art.backgroundCells = screen.backgroundCells();
    return art;
}

} // namespace torvo
