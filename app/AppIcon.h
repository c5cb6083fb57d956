#pragma once

#include <QIcon>

// The program's window icon: a small poster with a sun and a flower, drawn at several sizes.
QIcon AppIcon();
