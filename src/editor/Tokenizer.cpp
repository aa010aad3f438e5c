#include "Tokenizer.h"

#include <algorithm>
#include <array>
#include <string_view>
#include <unordered_set>

namespace
{

enum CharClass : std::uint8_t { NameStart = 1, NameChar = 2, NumberChar = 4 };

constexpr std::array<std::uint8_t, 128> makeCharClasses()
{
    std::array<std::uint8_t, 128> classes {};
    for (int c = 0; c < 128; ++c) {
        const bool letter
            = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$';
        const bool digit = c >= '0' && c <= '9';
        if (letter)
            classes[c] |= NameStart;
        if (letter || digit)
            classes[c] |= NameChar | NumberChar;
    }
    classes['.'] |= NumberChar;
    return classes;
}

constexpr std::array<std::uint8_t, 128> charClasses = makeCharClasses();

// Every non-ASCII code unit, surrogate halves included, counts as a letter.
bool hasClass(char16_t c, CharClass charClass)
{
    return c >= 128 || (charClasses[c] & charClass);
}
bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

std::u16string_view units(QStringView view)
{
    return { view.utf16(), size_t(view.size()) };
}

// Which rules a code unit may start, so most characters skip the marker comparisons.
enum StartFlag : std::uint8_t { LineCommentStart = 1, BlockCommentStart = 2, QuoteStart = 4 };

// The language's markers and keywords arranged for the scan. Views point into the language.
class Rules
{
public:
    explicit Rules(const Language &language)
        : language(language)
    {
        for (const QString &marker : language.lineComments)
            markStart(marker, LineCommentStart);
        if (language.blockComment) {
            blockOpen = language.blockComment->first;
            blockClose = language.blockComment->second;
            markStart(blockOpen, BlockCommentStart);
        }
        for (char16_t quote : language.quotes)
            markStart(QStringView(&quote, 1), QuoteStart);
        keywords.reserve(size_t(language.keywords.size()));
        for (const QString &keyword : language.keywords) {
            keywords.insert(units(keyword));
            longestKeyword = std::max(longestKeyword, keyword.size());
        }
    }

    std::uint8_t startFlags(char16_t c) const { return c < 128 ? starts[c] : nonAsciiStarts; }
    bool isKeyword(std::u16string_view name) const
    {
        return qsizetype(name.size()) <= longestKeyword && keywords.contains(name);
    }
    bool isQuote(char16_t c) const
    {
        return std::find(language.quotes.begin(), language.quotes.end(), c)
            != language.quotes.end();
    }

    const Language &language;
    QStringView blockOpen;
    QStringView blockClose;

private:
    void markStart(QStringView marker, StartFlag flag)
    {
        if (marker.isEmpty())
            return;
        if (marker[0].unicode() < 128)
            starts[marker[0].unicode()] |= flag;
        else
            nonAsciiStarts |= flag;
    }

    std::array<std::uint8_t, 128> starts {};
    std::uint8_t nonAsciiStarts = 0;
    std::unordered_set<std::u16string_view> keywords;
    qsizetype longestKeyword = 0;
};

class Scanner
{
public:
    Scanner(QStringView text, const Rules &rules)
        : text(text)
        , s(text.utf16())
        , n(text.size())
        , rules(rules)
        , language(rules.language)
    {
    }

    std::vector<Span> run()
    {
        while (p < n) {
            const char16_t c = s[p];
            if (c == u' ' || c == u'\t' || c == u'\r') {
                ++p;
            } else if (c == u'\n') {
                ++p;
                atLineStart = true;
            } else {
                scanToken(c);
                atLineStart = false;
            }
        }
        return std::move(spans);
    }

private:
    void scanToken(char16_t c)
    {
        const std::uint8_t flags = rules.startFlags(c);
        if ((flags & LineCommentStart) && lineComment())
            return;
        if ((flags & BlockCommentStart) && matches(rules.blockOpen, p))
            return blockComment();
        if (c == u'#' && language.directives && atLineStart)
            return directive();
        if ((flags & QuoteStart) && rules.isQuote(c))
            return quoted(c);
        if (isDigit(c) || (c == u'.' && p + 1 < n && isDigit(s[p + 1])))
            return addRun(p + 1, NumberChar, TokenKind::number);
        if (c == u'$' && language.variables)
            return variable();
        if (c == u'@' && language.attributes && p + 1 < n && hasClass(s[p + 1], NameStart))
            return attribute();
        if (hasClass(c, NameStart))
            return name();
        ++p;
    }

    void addSpan(qsizetype end, TokenKind kind)
    {
        end = std::min(end, n);
        spans.push_back({ { p, end - p }, kind });
        p = end;
    }

    // Adds a span from p over the characters of one class that follow from.
    void addRun(qsizetype from, CharClass charClass, TokenKind kind)
    {
        addSpan(skip(from, charClass), kind);
    }

    qsizetype skip(qsizetype from, CharClass charClass) const
    {
        while (from < n && hasClass(s[from], charClass))
            ++from;
        return from;
    }

    qsizetype skipSpacesAndTabs(qsizetype from) const
    {
        while (from < n && (s[from] == u' ' || s[from] == u'\t'))
            ++from;
        return from;
    }

    qsizetype lineFeedOrEnd(qsizetype from) const
    {
        const qsizetype found = text.indexOf(u'\n', from);
        return found < 0 ? n : found;
    }

    bool matches(QStringView marker, qsizetype at) const
    {
        return !marker.isEmpty() && marker.size() <= n - at
            && std::equal(marker.begin(), marker.end(), text.begin() + at);
    }

    bool lineComment()
    {
        for (const QString &marker : language.lineComments) {
            if (matches(marker, p)) {
                addSpan(lineFeedOrEnd(p + marker.size()), TokenKind::comment);
                return true;
            }
        }
        return false;
    }

    void blockComment()
    {
        const qsizetype close = rules.blockClose.isEmpty()
            ? -1
            : text.indexOf(rules.blockClose, p + rules.blockOpen.size());
        addSpan(close < 0 ? n : close + rules.blockClose.size(), TokenKind::comment);
    }

    void directive()
    {
        const qsizetype nameStart = skipSpacesAndTabs(p + 1);
        const qsizetype nameEnd = skip(nameStart, NameChar);
        const QStringView directiveName = text.sliced(nameStart, nameEnd - nameStart);
        addSpan(nameEnd, TokenKind::keyword);
        if (directiveName != u"include" && directiveName != u"import")
            return;
        p = skipSpacesAndTabs(p);
        if (p + 1 >= n || s[p] != u'<')
            return;
        qsizetype q = p + 1;
        while (q < n && s[q] != u'>' && s[q] != u'\n')
            ++q;
        if (q < n && s[q] == u'>')
            addSpan(q + 1, TokenKind::string);
    }

    void quoted(char16_t quote)
    {
        if (language.tripleQuotes && p + 2 < n && s[p + 1] == quote && s[p + 2] == quote)
            return addSpan(tripleQuotedEnd(quote), TokenKind::string);
        const bool multiline = quote == u'`';
        qsizetype q = p + 1;
        while (q < n) {
            const char16_t c = s[q];
            if (c == u'\\') {
                q += 2;
            } else if (c == quote) {
                return addSpan(q + 1, TokenKind::string);
            } else if (c == u'\n' && !multiline) {
                return addSpan(q, TokenKind::string);
            } else {
                ++q;
            }
        }
        addSpan(n, TokenKind::string);
    }

    qsizetype tripleQuotedEnd(char16_t quote) const
    {
        qsizetype q = p + 3;
        while (q < n) {
            if (s[q] == u'\\')
                q += 2;
            else if (s[q] == quote && q + 2 < n && s[q + 1] == quote && s[q + 2] == quote)
                return q + 3;
            else
                ++q;
        }
        return n;
    }

    void variable()
    {
        if (p + 1 >= n)
            return addSpan(n, TokenKind::attribute);
        const char16_t next = s[p + 1];
        if (next == u'{') {
            qsizetype q = p + 2;
            while (q < n && s[q] != u'}' && s[q] != u'\n')
                ++q;
            return addSpan(q < n && s[q] == u'}' ? q + 1 : q, TokenKind::attribute);
        }
        if (hasClass(next, NameStart))
            return addRun(p + 1, NameChar, TokenKind::attribute);
        addSpan(p + 2, TokenKind::attribute);
    }

    // "@objc", "@available", "@app.route": names and the dots between them.
    void attribute()
    {
        qsizetype q = p + 1;
        while (q < n && (hasClass(s[q], NameChar) || s[q] == u'.'))
            ++q;
        addSpan(q, TokenKind::attribute);
    }

    void name()
    {
        const qsizetype end = skip(p + 1, NameChar);
        const qsizetype length = end - p;
        if (rules.isKeyword({ s + p, size_t(length) }))
            return addSpan(end, TokenKind::keyword);
        if (language.capitalizedAreTypes && length >= 2 && s[p] >= u'A' && s[p] <= u'Z')
            return addSpan(end, TokenKind::type);
        if (language.functions && end < n && s[end] == u'(')
            return addSpan(end, TokenKind::function);
        p = end;
    }

    const QStringView text;
    const char16_t *const s;
    const qsizetype n;
    const Rules &rules;
    const Language &language;
    qsizetype p = 0;
    bool atLineStart = true;
    std::vector<Span> spans;
};

}

std::vector<Span> tokenize(QStringView text, const Language &language)
{
    if (text.isEmpty())
        return {};
    const Rules rules(language);
    return Scanner(text, rules).run();
}
