#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The frames a scale of each protocol sends for a weight, as the simulator and the benchmark
// send them. Protocol letters A, B, C and D are scale type indexes 0, 1, 2 and 4.
namespace ScaleFrames {

std::optional<int> scaleTypeIndexOf(const QString& letter);

// One frame of that weight (kg); a negative weight carries the scale's minus sign.
QByteArray frame(int scaleTypeIndex, double weight);

// Raw bytes written with the escapes \r, \n, \t, \\ and \xHH; nullopt when an escape is broken.
std::optional<QByteArray> unescape(const QString& text);

// The other way: printable ASCII as it is, everything else as one of those escapes.
QString escape(QByteArrayView bytes);

} // namespace ScaleFrames
