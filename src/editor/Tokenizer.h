#pragma once

#include "Language.h"

#include <QStringView>

#include <cstdint>
#include <vector>

// The order is the order of the colour table. Directives colour as keyword, shell and nginx
// variables as attribute.
enum class TokenKind : std::uint8_t { comment, string, number, keyword, type, function, attribute };

// Coloured characters, in UTF-16 code units from the start of the text.
struct Span {
    struct Range {
        qsizetype location = 0;
        qsizetype length = 0;
        friend bool operator==(const Range &, const Range &) = default;
    };
    Range range;
    TokenKind kind = TokenKind::comment;

    qsizetype end() const { return range.location + range.length; }
    friend bool operator==(const Span &, const Span &) = default;
};

// One left-to-right scan of the text. The spans come in increasing location, never overlap and
// are never empty; characters outside them keep the normal text colour. Pure: safe on any thread.
std::vector<Span> tokenize(QStringView text, const Language &language);
