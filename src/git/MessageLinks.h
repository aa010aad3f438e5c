#pragma once

#include <QList>
#include <QString>

// Links found in a commit message: web addresses with a scheme, addresses starting with
// "www." and email addresses.
struct MessageLink {
    qsizetype start = 0;
    qsizetype length = 0;
    QString href; // "http://" added to a bare "www." address, "mailto:" to an email address

    bool operator==(const MessageLink &) const = default;
};

// The links in the text, in order. Punctuation that ends a sentence after an address, and a
// closing bracket that opened before it, are not part of the link.
QList<MessageLink> messageLinks(const QString &text);

// The text as rich text for a label: escaped, line breaks and spaces kept, every link clickable.
QString linkedMessageHtml(const QString &text);
