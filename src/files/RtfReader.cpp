#include "files/RtfReader.h"

#include "base/CodePoints.h"
#include "files/CodePage.h"

#include <QStringDecoder>
#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace torvo {

namespace {

// Colour tables and font tables of hostile documents stop growing here.
constexpr std::size_t kMaxTableEntries = 1 << 16;

// Upr: the group of \upr, whose plain version is ignored in favour of its \ud group.
// Generator: the name of the program that wrote the document.
enum class Dest : std::uint8_t { Text, FontTable, ColourTable, Skip, Upr, Generator };

enum class Word : std::uint8_t {
    Unknown,
    SkipDest,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCpg,
    Deff,
    FontTable,
    ColourTable,
    Red,
    Green,
    Blue,
    Font,
    FontCharset,
    FontCodePage,
    Cf,
    Plain,
    Hidden,
    Uc,
    U,
    Ud,
    Upr,
    Break,
    Section,
    SectionDefaults,
    Generator,
    Tab,
    Symbol,
    Bin,
};

struct WordInfo {
    Word word;
    char32_t symbol = 0;
};

const std::unordered_map<std::string_view, WordInfo>& words() {
    static const std::unordered_map<std::string_view, WordInfo> table = [] {
        std::unordered_map<std::string_view, WordInfo> t;
        // Destinations whose content is not part of the visible text.
        for (std::string_view d : {"info",
                                   "stylesheet",
                                   "pict",
                                   "object",
                                   "objdata",
                                   "objclass",
                                   "objname",
                                   "objalias",
                                   "objsect",
                                   "objtime",
                                   "header",
                                   "headerl",
                                   "headerr",
                                   "headerf",
                                   "footer",
                                   "footerl",
                                   "footerr",
                                   "footerf",
                                   "footnote",
                                   "fldinst",
                                   "themedata",
                                   "colorschememapping",
                                   "latentstyles",
                                   "listtable",
                                   "listoverridetable",
                                   "rsidtbl",
                                   "xmlnstbl",
                                   "mmathPr",
                                   "datastore",
                                   "revtbl",
                                   "filetbl",
                                   "author",
                                   "operator",
                                   "title",
                                   "subject",
                                   "keywords",
                                   "comment",
                                   "doccomm",
                                   "company",
                                   "manager",
                                   "category",
                                   "hlinkbase",
                                   "annotation",
                                   "atnid",
                                   "atnauthor",
                                   "atndate",
                                   "atnicn",
                                   "atnref",
                                   "atnparent",
                                   "bkmkstart",
                                   "bkmkend",
                                   "txe",
                                   "xe",
                                   "tc",
                                   "tcn",
                                   "shp",
                                   "shpinst",
                                   "shptxt",
                                   "shprslt",
                                   "do",
                                   "template",
                                   "private",
                                   "userprops",
                                   "docvar",
                                   "fchars",
                                   "lchars",
                                   "pgdsctbl",
                                   "ftnsep",
                                   "ftnsepc",
                                   "ftncn",
                                   "aftnsep",
                                   "aftnsepc",
                                   "aftncn",
                                   "blipuid",
                                   "passwordhash",
                                   "nonshppict",
                                   "nonesttables",
                                   "pn",
                                   "pnseclvl",
                                   "pntxta",
                                   "pntxtb",
                                   "background",
                                   "falt",
                                   "panose",
                                   "fname",
                                   "leveltext",
                                   "levelnumbers",
                                   "listpicture",
                                   "buptim",
                                   "creatim",
                                   "printim",
                                   "revtim",
                                   "htmltag",
                                   "mhtmltag",
                                   "protusertbl",
                                   "pgptbl",
                                   "defchp",
                                   "defpap",
                                   "wgrffmtfilter",
                                   "xform",
                                   "sp",
                                   "sn",
                                   "sv",
                                   "picprop"})
            t.emplace(d, WordInfo{Word::SkipDest});
        t.emplace("ansi", WordInfo{Word::Ansi});
        t.emplace("mac", WordInfo{Word::Mac});
        t.emplace("pc", WordInfo{Word::Pc});
        t.emplace("pca", WordInfo{Word::Pca});
        t.emplace("ansicpg", WordInfo{Word::AnsiCpg});
        t.emplace("deff", WordInfo{Word::Deff});
        t.emplace("fonttbl", WordInfo{Word::FontTable});
        t.emplace("colortbl", WordInfo{Word::ColourTable});
        t.emplace("red", WordInfo{Word::Red});
        t.emplace("green", WordInfo{Word::Green});
        t.emplace("blue", WordInfo{Word::Blue});
        t.emplace("f", WordInfo{Word::Font});
        t.emplace("fcharset", WordInfo{Word::FontCharset});
        t.emplace("cpg", WordInfo{Word::FontCodePage});
        t.emplace("cf", WordInfo{Word::Cf});
        t.emplace("plain", WordInfo{Word::Plain});
        t.emplace("v", WordInfo{Word::Hidden});
        t.emplace("uc", WordInfo{Word::Uc});
        t.emplace("u", WordInfo{Word::U});
        t.emplace("ud", WordInfo{Word::Ud});
        t.emplace("upr", WordInfo{Word::Upr});
        for (std::string_view b : {"par", "line", "page", "row", "nestrow"})
            t.emplace(b, WordInfo{Word::Break});
        t.emplace("sect", WordInfo{Word::Section});
        t.emplace("sectd", WordInfo{Word::SectionDefaults});
        t.emplace("generator", WordInfo{Word::Generator});
        for (std::string_view b : {"tab", "cell", "nestcell"})
            t.emplace(b, WordInfo{Word::Tab});
        t.emplace("bin", WordInfo{Word::Bin});
        const std::pair<std::string_view, char32_t> symbols[] = {
            {"emdash", 0x2014},    {"endash", 0x2013},    {"emspace", 0x2003}, {"enspace", 0x2002},
            {"qmspace", 0x2005},   {"bullet", 0x2022},    {"lquote", 0x2018},  {"rquote", 0x2019},
            {"ldblquote", 0x201C}, {"rdblquote", 0x201D}, {"zwj", 0x200D},     {"zwnj", 0x200C},
            {"zwbo", 0x200B},      {"ltrmark", 0},        {"rtlmark", 0},      {"zwnbo", 0}};
        for (const auto& [name, ch] : symbols)
            t.emplace(name, WordInfo{Word::Symbol, ch});
        return t;
    }();
    return table;
}

int codePageOfCharset(int charset) {
    switch (charset) {
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 130:
        return 1361;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    case 254:
        return 437;
    case 255:
        return 850;
    default:
        return 0; // ANSI, default, symbol and the rest: the document's code page
    }
}

QStringDecoder decoderFor(int codePage) {
    QList<QByteArray> names;
    switch (codePage) {
    case 932:
        names = {"windows-31j", "Shift_JIS"};
        break;
    case 936:
        names = {"GBK", "GB2312"};
        break;
    case 949:
        names = {"windows-949", "EUC-KR"};
        break;
    case 950:
        names = {"Big5"};
        break;
    case 1361:
        names = {"johab"};
        break;
    case 10000:
        names = {"macintosh"};
        break;
    case 65001:
        names = {"UTF-8"};
        break;
    default:
        break;
    }
    const QByteArray n = QByteArray::number(codePage);
    names << "windows-" + n << "cp" + n << "IBM" + n;
    for (const QByteArray& name : names) {
        QStringDecoder d(name.constData(), QStringDecoder::Flag::Stateless);
        if (d.isValid()) return d;
    }
    return {};
}

class Reader {
public:
    Reader(QByteArrayView in, int maxPositions) : in_(in), maxPositions_(maxPositions) {}

    Result<RichText> run();

private:
    struct State {
        Dest dest = Dest::Text;
        bool starPending = false;
        bool hidden = false;
        Dest uprOuter = Dest::Text; // where the \ud text of an \upr group goes
        int colour = 0;
        int font = 0;
        int uc = 1;
    };

    bool fail(const QString& message) {
        if (error_.isEmpty()) error_ = message;
        return false;
    }

    int codePage() const {
        const auto it = fontCodePage_.find(st_.font);
        return it != fontCodePage_.end() && it->second != 0 ? it->second : docCodePage_;
    }
    Colour colour() const {
        return st_.colour >= 0 && std::size_t(st_.colour) < colourTable_.size() ? colourTable_[st_.colour]
                                                                                : colours::Black;
    }
    bool textVisible() const { return st_.dest == Dest::Text && !st_.hidden; }

    bool openGroup();
    bool closeGroup();
    bool controlWord(std::string_view name, bool hasParam, int param);
    bool controlSymbol(char c);
    bool textByte(unsigned char b);
    bool special(char32_t ch);
    bool put(char32_t ch, Colour c);
    bool emitBreak();
    bool endSection();
    bool endDocument();
    bool resolveHigh();
    bool flush();
    bool unicode(int n);

    QByteArrayView in_;
    int maxPositions_;
    qsizetype pos_ = 0;
    std::vector<State> stack_;
    State st_;
    RichText out_{colours::White};
    QString error_;
    bool done_ = false;

    std::vector<Colour> colourTable_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool entrySet_ = false;

    std::unordered_map<int, int> fontCodePage_;
    int fontEntry_ = 0;
    int docCodePage_ = 1252;
    int defaultFont_ = 0;
    std::unordered_map<int, QStringDecoder> decoders_;

    QByteArray pending_; // bytes of \'hh escapes and raw 8-bit text, decoded together
    char16_t high_ = 0;  // a high surrogate from \u waiting for its low half
    Colour highColour_;
    int skip_ = 0; // fallback characters still to skip after \u
    bool lastCr_ = false;

    // Section ends, read as the program that wrote the document shows them (see endSection).
    QByteArray generator_;
    bool lineEmpty_ = true;    // nothing since the last line break
    bool sectionEmpty_ = true; // no text and no break since the last \sect
    bool sawSection_ = false;
    bool sectionReopened_ = false; // \sectd after a \sect, with nothing since
};

bool Reader::put(char32_t ch, Colour c) {
    if (ch == RichText::LF && lastCr_) {
        lastCr_ = false;
        return true;
    }
    lastCr_ = ch == RichText::CR;
    const int added = ch == RichText::CR || ch == RichText::LF ? 2 : 1;
    lineEmpty_ = added == 2;
    sectionEmpty_ = false;
    if (out_.size() > maxPositions_ - added)
        return fail(QStringLiteral("El archivo RTF es demasiado grande."));
    out_.append(ch, c);
    return true;
}

bool Reader::resolveHigh() {
    if (!high_) return true;
    high_ = 0;
    return put(0xFFFD, highColour_);
}

bool Reader::emitBreak() {
    if (!resolveHigh()) return false;
    lastCr_ = false;
    if (out_.size() > maxPositions_ - 2) return fail(QStringLiteral("El archivo RTF es demasiado grande."));
    out_.appendLineBreak();
    lineEmpty_ = true;
    sectionEmpty_ = false;
    return true;
}

// Word and AbiWord write \sect in place of the paragraph mark of a section's last
// paragraph, so it ends a paragraph, an empty one too. LibreOffice writes it after that
// mark and shows no paragraph for it, except that a section left with no paragraph gets
// an empty one.
bool Reader::endSection() {
    if (!flush() || !resolveHigh()) return false;
    const bool libreOffice = generator_.startsWith("LibreOffice");
    bool ok = true;
    if (!libreOffice || !lineEmpty_ || sectionEmpty_) ok = emitBreak();
    sawSection_ = true;
    sectionEmpty_ = true;
    sectionReopened_ = false;
    return ok;
}

// LibreOffice opens a section after the last \sect when the document goes on with \sectd,
// and shows that section, empty as it is, as one empty paragraph.
bool Reader::endDocument() {
    if (!flush() || !resolveHigh()) return false;
    if (sectionReopened_ && sectionEmpty_ && generator_.startsWith("LibreOffice")) return emitBreak();
    return true;
}

bool Reader::flush() {
    if (pending_.isEmpty()) return true;
    const int cp = codePage();
    const Colour c = colour();
    if (!resolveHigh()) return false;
    QStringDecoder* decoder = nullptr;
    if (cp != 1252 && cp != 0) {
        auto it = decoders_.find(cp);
        if (it == decoders_.end()) it = decoders_.emplace(cp, decoderFor(cp)).first;
        if (it->second.isValid()) decoder = &it->second;
    }
    // Windows-1252 also stands in for a code page Qt cannot decode.
    const QString text = decoder ? decoder->decode(pending_) : CodePage::windows1252().decode(pending_);
    pending_.clear();
    for (const char32_t ch : CodePoints(text))
        if (!put(isSurrogate(ch) ? 0xFFFD : ch, c)) return false;
    return true;
}

bool Reader::textByte(unsigned char b) {
    if (st_.dest == Dest::Generator) {
        if (generator_.size() < 32) generator_.append(char(b));
        return true;
    }
    if (st_.dest == Dest::ColourTable) {
        if (b == ';') {
            if (colourTable_.size() < kMaxTableEntries)
                colourTable_.push_back(entrySet_ ? Colour::fromRgb(red_, green_, blue_) : colours::Black);
            red_ = green_ = blue_ = 0;
            entrySet_ = false;
        }
        return true;
    }
    if (!textVisible()) return true;
    if (skip_ > 0) {
        --skip_;
        return true;
    }
    if (pending_.isEmpty() && b < 0x80) {
        if (high_ && !resolveHigh()) return false;
        return put(b, colour());
    }
    if (pending_.size() > (1 << 20) && !flush()) return false;
    pending_.append(char(b));
    return true;
}

bool Reader::special(char32_t ch) {
    if (!flush()) return false;
    if (skip_ > 0) {
        --skip_;
        return true;
    }
    if (!textVisible() || ch == 0) return true;
    if (!resolveHigh()) return false;
    return put(ch, colour());
}

bool Reader::unicode(int n) {
    if (!flush()) return false;
    skip_ = st_.uc;
    if (!textVisible()) return true;
    char32_t u = n < 0 ? char32_t(n + 65536) : char32_t(n);
    if (n < -32768 || u > 0x10FFFF) u = 0xFFFD;
    const Colour c = colour();
    // A character beyond 16 bits comes as two \u, one for each half of its surrogate pair.
    if (QChar::isHighSurrogate(u)) {
        if (!resolveHigh()) return false;
        high_ = char16_t(u);
        highColour_ = c;
        return true;
    }
    if (QChar::isLowSurrogate(u)) {
        if (!high_) return put(0xFFFD, c);
        const char32_t joined = QChar::surrogateToUcs4(high_, char16_t(u));
        high_ = 0;
        return put(joined, highColour_);
    }
    if (!resolveHigh()) return false;
    return put(u, c);
}

bool Reader::openGroup() {
    if (!flush()) return false;
    if (int(stack_.size()) + 2 > kRtfMaxDepth) // the root group is not on the stack
        return fail(QStringLiteral("El archivo RTF está anidado demasiado."));
    skip_ = 0;
    stack_.push_back(st_);
    st_.starPending = false;
    return true;
}

bool Reader::closeGroup() {
    if (!flush()) return false;
    skip_ = 0;
    if (stack_.empty()) {
        done_ = true;
        return true;
    }
    st_ = stack_.back();
    stack_.pop_back();
    return true;
}

bool Reader::controlWord(std::string_view name, bool hasParam, int param) {
    if (!flush()) return false;
    const auto& table = words();
    const auto it = table.find(name);
    const WordInfo info = it == table.end() ? WordInfo{Word::Unknown} : it->second;

    if (st_.starPending) {
        st_.starPending = false;
        // "\*" before a destination this reader does not keep: skip the whole group.
        if (info.word != Word::Ud && info.word != Word::FontTable && info.word != Word::ColourTable &&
            info.word != Word::Generator) {
            st_.dest = Dest::Skip;
            return true;
        }
    }
    if (st_.dest == Dest::Skip || (st_.dest == Dest::Upr && info.word != Word::Ud)) {
        if (info.word == Word::Bin) {
            const qsizetype n = hasParam && param > 0 ? param : 0;
            pos_ += std::min(n, in_.size() - pos_);
        }
        return true;
    }
    // Formatting words between \u and its fallback count as one fallback character.
    if (skip_ > 0 && info.word != Word::Bin) {
        --skip_;
        return true;
    }

    switch (info.word) {
    case Word::Unknown:
        return true;
    case Word::SkipDest:
        st_.dest = Dest::Skip;
        return true;
    case Word::Ansi:
        docCodePage_ = 1252;
        return true;
    case Word::Mac:
        docCodePage_ = 10000;
        return true;
    case Word::Pc:
        docCodePage_ = 437;
        return true;
    case Word::Pca:
        docCodePage_ = 850;
        return true;
    case Word::AnsiCpg:
        if (hasParam && param > 0) docCodePage_ = param;
        return true;
    case Word::Deff:
        defaultFont_ = param;
        st_.font = param;
        return true;
    case Word::FontTable:
        st_.dest = Dest::FontTable;
        return true;
    case Word::ColourTable:
        st_.dest = Dest::ColourTable;
        colourTable_.clear();
        red_ = green_ = blue_ = 0;
        entrySet_ = false;
        return true;
    case Word::Red:
    case Word::Green:
    case Word::Blue:
        if (st_.dest == Dest::ColourTable) {
            const int v = std::clamp(param, 0, 255);
            (info.word == Word::Red ? red_ : info.word == Word::Green ? green_ : blue_) = v;
            entrySet_ = true;
        }
        return true;
    case Word::Font:
        if (st_.dest == Dest::FontTable)
            fontEntry_ = param;
        else
            st_.font = param;
        return true;
    case Word::FontCharset:
    case Word::FontCodePage:
        if (st_.dest == Dest::FontTable &&
            (fontCodePage_.size() < kMaxTableEntries || fontCodePage_.count(fontEntry_)))
            fontCodePage_[fontEntry_] = info.word == Word::FontCharset ? codePageOfCharset(param) : param;
        return true;
    case Word::Cf:
        st_.colour = param;
        return true;
    case Word::Plain:
        st_.colour = 0;
        st_.font = defaultFont_;
        st_.hidden = false;
        return true;
    case Word::Hidden:
        st_.hidden = !hasParam || param != 0;
        return true;
    case Word::Uc:
        st_.uc = std::max(param, 0);
        return true;
    case Word::U:
        return unicode(param);
    case Word::Ud:
        if (st_.dest == Dest::Upr) st_.dest = st_.uprOuter;
        return true;
    case Word::Upr:
        st_.uprOuter = st_.dest;
        st_.dest = Dest::Upr;
        return true;
    case Word::Break:
        return textVisible() ? emitBreak() : true;
    case Word::Section:
        return textVisible() ? endSection() : true;
    case Word::SectionDefaults:
        if (sawSection_ && sectionEmpty_) sectionReopened_ = true;
        return true;
    case Word::Generator:
        st_.dest = Dest::Generator;
        generator_.clear();
        return true;
    case Word::Tab:
        return special(U'\t');
    case Word::Symbol:
        return special(info.symbol);
    case Word::Bin: {
        const qsizetype n = hasParam && param > 0 ? param : 0;
        pos_ += std::min(n, in_.size() - pos_);
        if (skip_ > 0) --skip_;
        return true;
    }
    }
    return true;
}

bool Reader::controlSymbol(char c) {
    if (c == '\'') {
        int value = 0;
        int digits = 0;
        while (digits < 2 && pos_ < in_.size()) {
            const char h = in_[pos_];
            int d;
            if (h >= '0' && h <= '9')
                d = h - '0';
            else if (h >= 'a' && h <= 'f')
                d = h - 'a' + 10;
            else if (h >= 'A' && h <= 'F')
                d = h - 'A' + 10;
            else
                break;
            value = value * 16 + d;
            ++digits;
            ++pos_;
        }
        if (digits == 0) return true;
        if (st_.starPending) {
            st_.starPending = false;
            st_.dest = Dest::Skip;
        }
        return st_.dest == Dest::Skip ? true : textByte(static_cast<unsigned char>(value));
    }
    if (c == '*') {
        if (!flush()) return false;
        st_.starPending = true;
        return true;
    }
    if (st_.starPending) {
        st_.starPending = false;
        st_.dest = Dest::Skip;
    }
    if (st_.dest == Dest::Skip) return true;
    switch (c) {
    case '\\':
    case '{':
    case '}':
        return textByte(static_cast<unsigned char>(c));
    case '~':
        return special(0x00A0);
    case '_':
        return special(0x2011);
    case '-':
        return special(0);
    case '\t':
        return special(U'\t');
    case '\r':
    case '\n':
        if (!flush()) return false;
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        return textVisible() ? emitBreak() : true;
    default:
        return special(0);
    }
}

Result<RichText> Reader::run() {
    while (pos_ < in_.size() &&
           (in_[pos_] == ' ' || in_[pos_] == '\t' || in_[pos_] == '\r' || in_[pos_] == '\n'))
        ++pos_;
    if (!in_.sliced(pos_).startsWith("{\\rtf")) {
        return Failure{QStringLiteral("El archivo no es un documento RTF.")};
    }
    ++pos_; // the root group is st_ itself

    const qsizetype size = in_.size();
    const char* data = in_.data();
    while (pos_ < size && !done_) {
        const auto c = static_cast<unsigned char>(data[pos_++]);
        bool ok = true;
        if (c == '{') {
            ok = openGroup();
        } else if (c == '}') {
            ok = closeGroup();
        } else if (c == '\\') {
            if (pos_ >= size) break;
            const char first = data[pos_];
            if ((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z')) {
                const qsizetype start = pos_;
                while (pos_ < size &&
                       ((data[pos_] >= 'a' && data[pos_] <= 'z') || (data[pos_] >= 'A' && data[pos_] <= 'Z')))
                    ++pos_;
                const std::string_view name(data + start, std::size_t(std::min<qsizetype>(pos_ - start, 32)));
                bool negative = false;
                bool hasParam = false;
                long long param = 0;
                if (pos_ + 1 < size && data[pos_] == '-' && data[pos_ + 1] >= '0' && data[pos_ + 1] <= '9') {
                    negative = true;
                    ++pos_;
                }
                while (pos_ < size && data[pos_] >= '0' && data[pos_] <= '9') {
                    hasParam = true;
                    if (param < 100'000'000'000LL) param = param * 10 + (data[pos_] - '0');
                    ++pos_;
                }
                if (pos_ < size && data[pos_] == ' ') ++pos_;
                param = std::clamp(negative ? -param : param, -2'000'000'000LL, 2'000'000'000LL);
                ok = controlWord(name, hasParam, int(param));
            } else {
                ++pos_;
                ok = controlSymbol(first);
            }
        } else if (c == '\r' || c == '\n' || (c < 0x20 && c != '\t')) {
            // Source line breaks and stray control bytes carry no text.
        } else {
            if (st_.starPending) {
                st_.starPending = false;
                st_.dest = Dest::Skip;
            }
            if (c == '\t') {
                ok = special(U'\t');
            } else if (st_.dest != Dest::Skip) {
                ok = textByte(c);
            }
        }
        if (!ok) return Failure{error_};
    }
    // A document cut short keeps what was read before the cut.
    if (!endDocument()) return Failure{error_};
    return std::move(out_);
}

} // namespace

Result<RichText> readRtf(QByteArrayView rtf, int maxPositions) {
    Reader reader(rtf, maxPositions);
    return reader.run();
}

} // namespace torvo
