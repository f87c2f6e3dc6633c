#pragma once

#include <QString>
#include <QStringList>

namespace lumigram {

// File-dialog filters are written "caption|patterns|caption|patterns", the
// patterns of one entry joined by ";" (".k/g files|*.g;*.k|Images|*.bmp").
// This turns one into Qt's name filters: ".k/g files (*.g *.k)", "Images (*.bmp)".
// A caption without patterns is dropped.
QStringList QtNameFilters(const QString& filter);

}  // namespace lumigram
