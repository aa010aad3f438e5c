#include "LineBreaks.h"

#include <algorithm>
#include <array>
#include <optional>

namespace
{

using Kind = LineBreaks::Kind;

constexpr std::array<char16_t, 1> lf { u'\n' };
constexpr std::array<char16_t, 2> crlf { u'\r', u'\n' };
constexpr std::array<char16_t, 1> cr { u'\r' };
constexpr std::array<char16_t, 1> paragraph { u'\u2029' };
constexpr std::array<char16_t, 1> frameStart { u'\uFDD0' };
constexpr std::array<char16_t, 1> frameEnd { u'\uFDD1' };


}

std::optional<Kind> LineBreaks::kindAt(QStringView text, qsizetype i)
{
    switch (text[i].unicode()) {
    case u'\n':
        return Kind::lf;
    case u'\r':
        return i + 1 < text.size() && text[i + 1] == u'\n' ? Kind::crlf : Kind::cr;
    case 0x2029:
        return Kind::paragraph;
    case 0xFDD0:
        return Kind::frameStart;
    case 0xFDD1:
        return Kind::frameEnd;
    default:
        return std::nullopt;
    }
}

QStringView LineBreaks::sequence(Kind kind)
{
    const auto view = [](const auto &chars) { return QStringView(chars.data(), qsizetype(chars.size())); };
    switch (kind) {
    case Kind::lf:
        return view(lf);
    case Kind::crlf:
        return view(crlf);
    case Kind::cr:
        return view(cr);
    case Kind::paragraph:
        return view(paragraph);
    case Kind::frameStart:
        return view(frameStart);
    case Kind::frameEnd:
        return view(frameEnd);
    }
    return view(lf);
}

void LineBreaks::Builder::add(Kind kind, qsizetype count)
{
    if (count <= 0)
        return;
    if (runs.empty() || runs.back().kind != kind)
        runs.push_back({ breaks, kind });
    counts[size_t(kind)] += count;
    breaks += count;
}

LineBreaks LineBreaks::Builder::finish() const
{
    LineBreaks made;
    made.m_lineCount = breaks + 1;
    if (runs.empty())
        return made;
    made.m_dominant = runs.front().kind;
    for (size_t k = 0; k < counts.size(); ++k)
        if (counts[k] > counts[size_t(made.m_dominant)])
            made.m_dominant = Kind(k);
    for (size_t r = 0; r < runs.size(); ++r) {
        if (runs[r].kind == made.m_dominant)
            continue;
        const qsizetype end = r + 1 < runs.size() ? runs[r + 1].firstLine : breaks;
        for (qsizetype line = runs[r].firstLine; line < end; ++line)
            made.m_exceptions.push_back({ line, runs[r].kind });
    }
    return made;
}

LineBreaks LineBreaks::scan(QStringView text)
{
    Builder builder;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const std::optional<Kind> kind = kindAt(text, i);
        if (!kind)
            continue;
        builder.add(*kind);
        if (*kind == Kind::crlf)
            ++i;
    }
    return builder.finish();
}

LineBreaks::Kind LineBreaks::breakAfter(qsizetype line) const
{
    const auto found = std::lower_bound(m_exceptions.begin(), m_exceptions.end(), line,
        [](const Exception &exception, qsizetype wanted) { return exception.line < wanted; });
    return found != m_exceptions.end() && found->line == line ? found->kind : m_dominant;
}

std::vector<LineBreaks::Exception> LineBreaks::edit(qsizetype line, bool atLineStart, qsizetype removed,
                                                    qsizetype added, const std::vector<Exception> &restored)
{
    removed = std::clamp<qsizetype>(removed, 0, m_lineCount - 1);
    added = std::max<qsizetype>(added, 0);
    m_lineCount += added - removed;
    // Breaks counted in both directions stay where they were: an edit over several lines that
    // keeps their number (an indent, a replace) leaves their breaks alone.
    const qsizetype from = (atLineStart ? line : line + 1) + std::min(removed, added);
    const qsizetype shift = added - removed;
    std::vector<Exception> dropped;
    if (shift == 0)
        return dropped;
    const auto first = std::lower_bound(m_exceptions.begin(), m_exceptions.end(), from,
        [](const Exception &exception, qsizetype wanted) { return exception.line < wanted; });
    auto kept = first;
    if (shift < 0) {
        kept = std::find_if(first, m_exceptions.end(),
            [end = from - shift](const Exception &exception) { return exception.line >= end; });
        for (auto it = first; it != kept; ++it)
            dropped.push_back({ it->line - from, it->kind });
    }
    for (auto it = kept; it != m_exceptions.end(); ++it)
        it->line += shift;
    const auto at = m_exceptions.erase(first, kept);
    if (shift > 0 && !restored.empty()) {
        std::vector<Exception> back;
        for (const Exception &exception : restored)
            if (exception.line >= 0 && exception.line < shift && exception.kind != m_dominant)
                back.push_back({ from + exception.line, exception.kind });
        m_exceptions.insert(at, back.begin(), back.end());
    }
    return dropped;
}

QString LineBreaks::join(QStringView text, QChar separator) const
{
    QString out;
    out.reserve(text.size() + (m_dominant == Kind::crlf ? m_lineCount : qsizetype(m_exceptions.size())));
    const QStringView usual = sequence(m_dominant);
    auto exception = m_exceptions.begin();
    qsizetype line = 0;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(separator, from);
        if (at < 0)
            break;
        out.append(text.sliced(from, at - from));
        while (exception != m_exceptions.end() && exception->line < line)
            ++exception;
        const bool own = exception != m_exceptions.end() && exception->line == line;
        out.append(own ? sequence(exception->kind) : usual);
        from = at + 1;
        ++line;
    }
    out.append(text.sliced(from));
    return out;
}
