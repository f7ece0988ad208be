// Feeds arbitrary byte streams to the weight frame decoder. The first byte picks the protocol
// and whether the stream is joined mid-frame, the second the scale range; every shown text must
// be one of the decoder's messages or a weight within the range.

#include "scale/WeightDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void checkShown(const QString& text, double range)
{
    if (text == WeightDecoder::negativeText() || text == WeightDecoder::wrongUnitText() ||
        text == WeightDecoder::overRangeText() || text.isEmpty()) {
        return;
    }
    for (const QChar c : text) {
        if (!(c.isDigit() && c.unicode() < 128) && c != QLatin1Char('.')) {
            std::abort();
        }
    }
    bool ok = false;
    const double value = text.toDouble(&ok);
    // A shown weight converts and is not above the range (A rounds to grams).
    if (!ok || value > range + 0.0005) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2) {
        return 0;
    }
    static constexpr int Indexes[] = {0, 1, 2, 4, 3};
    const int index = Indexes[(data[0] & 0x07) % 5];
    const bool joined = (data[0] & 0x08) != 0;
    const double range = data[1] / 4.0;
    WeightDecoder decoder;
    decoder.setSettings({index, 1, range});
    if (joined) {
        decoder.resynchronise();
    }
    for (std::size_t i = 2; i < size; ++i) {
        if (const auto text = decoder.decode(static_cast<char>(data[i]))) {
            checkShown(*text, range);
        }
    }
    return 0;
}
