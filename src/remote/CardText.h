#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The words of one inline card: the controller builds the card from them.
struct CardText {
    QString title;
    QString message;
    std::optional<QString> field; // the text field's initial text; none: no field
    QStringList buttons; // in order, left to right
    int primary = -1; // index of the default button

    bool operator==(const CardText &) const = default;
};
