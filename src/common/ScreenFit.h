#pragma once

#include <QList>
#include <QRect>

// Where a window frame read back from the settings may go: unchanged when its title strip can
// be reached on one of the screens and it fits there, otherwise shrunk to the screen holding most
// of it (the first screen when none does) and moved whole onto it.
QRect fitOnScreens(const QRect &frame, const QList<QRect> &screens);
