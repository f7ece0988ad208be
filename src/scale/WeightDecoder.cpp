#include "scale/WeightDecoder.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string_view>

namespace {

constexpr char LineFeed = 0x0A;
constexpr char CarriageReturn = 0x0D;
constexpr int StateNormal = 0;
constexpr int StateNegative = 1;
constexpr int StateWrongUnit = 2;
// A real frame holds a handful of characters; a stream that never ends its frame must not make
// the collected text grow without bound, so characters beyond this are dropped.
constexpr std::size_t MaxCollected = 64;

bool isNumeric(char c)
{
    return (c >= '0' && c <= '9') || c == '.';
}

// The ordinary decimal conversion into single precision: digits with at most one point and at
// least one digit. Anything else (an empty text, filler letters, a message) does not convert.
std::optional<float> toSingle(std::string_view text)
{
    if (text.empty()) {
        return std::nullopt;
    }
    int points = 0;
    bool digit = false;
    for (const char c : text) {
        if (c == '.') {
            ++points;
        } else if (c >= '0' && c <= '9') {
            digit = true;
        } else {
            return std::nullopt;
        }
    }
    if (points > 1 || !digit) {
        return std::nullopt;
    }
    float value = 0.0F;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::result_out_of_range) {
        // A number beyond single precision (40 digits and more) is as large as a float gets, and
        // so over any range; one too small for it is 0.
        const bool beyond = std::any_of(text.begin(), std::find(text.begin(), text.end(), '.'),
                                        [](char c) { return c != '0'; });
        return beyond ? std::numeric_limits<float>::infinity() : 0.0F;
    }
    if (ec != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// "0.###": up to three decimals rounded half away from zero, no trailing zeros, at least one
// digit before the point.
std::string formatWeight(float value)
{
    // A float has 24 significant bits, so value * 1000 is exact in a double and the rounding
    // below sees the true value.
    const double scaled = std::round(static_cast<double>(value) * 1000.0);
    if (scaled >= 9.0e15) {
        char digits[64];
        const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                          std::chars_format::fixed, 0);
        return std::string(digits, result.ptr);
    }
    const auto thousandths = static_cast<std::uint64_t>(scaled);
    std::string text = std::to_string(thousandths / 1000);
    unsigned fraction = static_cast<unsigned>(thousandths % 1000);
    if (fraction != 0) {
        char decimals[4] = {static_cast<char>('0' + fraction / 100),
                            static_cast<char>('0' + fraction / 10 % 10),
                            static_cast<char>('0' + fraction % 10), 0};
        std::size_t length = 3;
        while (decimals[length - 1] == '0') {
            --length;
        }
        text += '.';
        text.append(decimals, length);
    }
    return text;
}

const std::string& overRangeUtf8()
{
    static const std::string text = WeightDecoder::overRangeText().toStdString();
    return text;
}

} // namespace

const QString& WeightDecoder::negativeText()
{
    static const QString text = QStringLiteral("警告：重量为负!");
    return text;
}

const QString& WeightDecoder::wrongUnitText()
{
    static const QString text = QStringLiteral("警告：单位错误!");
    return text;
}

const QString& WeightDecoder::overRangeText()
{
    static const QString text = QStringLiteral("错误，重量已经超过量程!");
    return text;
}

std::optional<QString> WeightDecoder::decode(char byte)
{
    if (m_settings.portNumber == 0) {
        return std::nullopt;
    }
    switch (m_settings.scaleTypeIndex) {
    case 0:
        return protocolA(byte);
    case 1:
        return protocolB(byte);
    case 2:
        return protocolC(byte);
    case 4:
        return protocolD(byte);
    default:
        return std::nullopt;
    }
}

QStringList WeightDecoder::decodeAll(QByteArrayView bytes)
{
    QStringList shown;
    for (const char byte : bytes) {
        if (auto text = decode(byte)) {
            shown.append(*text);
        }
    }
    return shown;
}

void WeightDecoder::beginStream()
{
    m_synchronising = false;
    m_text.clear();
    m_frameState = StateNormal;
    resetBufferB();
    resetBufferC();
    m_indexC = 5;
    // As after a '='. A frame of protocol C whose start the port did not deliver leaves filler
    // cells and shows nothing.
    m_armedC = true;
}

void WeightDecoder::resynchronise()
{
    m_synchronising = true;
    // Protocol C has its own synchronisation: the first '=' after a reset only arms it.
    resetBufferC();
    m_text.clear();
    m_indexC = 5;
    m_armedC = false;
}

bool WeightDecoder::isOverRange(float value) const
{
    // Both sides in single precision, so a value typed equal to the range is never above it. A
    // weight beyond single precision is above any range; a range beyond it holds every other.
    constexpr double kFloatMax = std::numeric_limits<float>::max();
    const double range = m_settings.scaleRange;
    if (std::isinf(value)) {
        return true;
    }
    if (range >= kFloatMax || std::isnan(range)) {
        return false;
    }
    return range <= -kFloatMax || value > static_cast<float>(range);
}

void WeightDecoder::resetBufferB()
{
    m_bufferB.fill('l');
    m_indexB = 0;
}

void WeightDecoder::resetBufferC()
{
    m_bufferC.fill('l');
}

// '-' marks a negative weight, 'b' or 'p' a wrong unit, until the frame ends.
bool WeightDecoder::takeMarker(char byte)
{
    if (byte == '-') {
        m_frameState = StateNegative;
        return true;
    }
    if (byte == 'b' || byte == 'p') {
        m_frameState = StateWrongUnit;
        return true;
    }
    return false;
}

// The warning a marked frame shows in place of its weight; none for an unmarked frame.
std::optional<QString> WeightDecoder::markedText() const
{
    if (m_frameState == StateNegative) {
        return negativeText();
    }
    if (m_frameState == StateWrongUnit) {
        return wrongUnitText();
    }
    return std::nullopt;
}

std::optional<QString> WeightDecoder::protocolA(char byte)
{
    if (m_synchronising) {
        if (byte != LineFeed) {
            return std::nullopt;
        }
        m_synchronising = false;
    }
    if (isNumeric(byte)) {
        if (m_text.size() < MaxCollected) {
            m_text += byte;
        }
        return std::nullopt;
    }
    if (takeMarker(byte)) {
        return std::nullopt;
    }
    switch (byte) {
    case LineFeed:
        m_text.clear();
        m_frameState = StateNormal;
        return std::nullopt;
    case CarriageReturn:
        break;
    default:
        return std::nullopt;
    }
    if (const auto marked = markedText()) {
        return marked;
    }
    // Text and state stay until the LF, so a second CR shows the formatted text again.
    const auto value = toSingle(m_text);
    if (!value) {
        return std::nullopt;
    }
    m_text = isOverRange(*value) ? overRangeUtf8() : formatWeight(*value);
    return QString::fromStdString(m_text);
}

std::optional<QString> WeightDecoder::protocolB(char byte)
{
    if (m_synchronising) {
        if (byte != LineFeed) {
            return std::nullopt;
        }
        m_synchronising = false;
    }
    if (isNumeric(byte)) {
        // Eight character cells; what a longer frame brings beyond them is dropped.
        if (m_indexB < 8) {
            m_bufferB[static_cast<std::size_t>(m_indexB++)] = byte;
        }
        return std::nullopt;
    }
    if (takeMarker(byte)) {
        return std::nullopt;
    }
    switch (byte) {
    case LineFeed:
        m_text.clear();
        m_frameState = StateNormal;
        resetBufferB();
        return std::nullopt;
    case CarriageReturn:
        break;
    default:
        return std::nullopt;
    }
    if (const auto marked = markedText()) {
        return marked;
    }
    return finishBufferFrame(m_bufferB.data(), 8);
}

std::optional<QString> WeightDecoder::protocolC(char byte)
{
    m_synchronising = false;
    if (isNumeric(byte)) {
        // Cells fill from the sixth down to the first; bytes before the first '=' belong to a
        // frame that started before we listened, and a frame longer than six is cut.
        if (m_armedC && m_indexC >= 0) {
            m_bufferC[static_cast<std::size_t>(m_indexC--)] = byte;
        }
        return std::nullopt;
    }
    if (byte == '-') {
        resetBufferC();
        m_text.clear();
        m_indexC = 5;
        m_armedC = false;
        return negativeText();
    }
    if (byte != '=') {
        return std::nullopt;
    }
    if (!m_armedC) {
        m_armedC = true;
        m_text.clear();
        return std::nullopt;
    }
    auto shown = finishBufferFrame(m_bufferC.data(), 6);
    resetBufferC();
    m_text.clear();
    m_indexC = 5;
    return shown;
}

std::optional<QString> WeightDecoder::protocolD(char byte)
{
    if (m_synchronising) {
        if (byte == '=') {
            m_synchronising = false;
            m_text.clear();
            m_frameState = StateNormal;
        }
        return std::nullopt;
    }
    if (isNumeric(byte)) {
        // The scale sends the digits last first.
        if (m_text.size() < MaxCollected) {
            m_text.insert(m_text.begin(), byte);
        }
        return std::nullopt;
    }
    if (takeMarker(byte)) {
        return std::nullopt;
    }
    switch (byte) {
    case '=':
        break;
    default:
        return std::nullopt;
    }
    std::optional<QString> shown = markedText();
    if (!shown && !m_text.empty()) {
        if (const auto value = toSingle(m_text)) {
            if (isOverRange(*value)) {
                m_text = overRangeUtf8();
            }
            std::size_t zeros = 0;
            while (zeros < m_text.size() && m_text[zeros] == '0' &&
                   (zeros + 1 >= m_text.size() || m_text[zeros + 1] != '.')) {
                ++zeros;
            }
            shown = QString::fromStdString(m_text.substr(zeros));
        }
    }
    m_text.clear();
    m_frameState = StateNormal;
    return shown;
}

// Reads a B or C buffer: the text ends at the terminator cell or at the first empty cell,
// leading zeros go, but one stays before a point.
std::optional<QString> WeightDecoder::finishBufferFrame(char* cells, std::size_t textCells)
{
    cells[textCells] = 0;
    const std::size_t length = strnlen(cells, textCells);
    std::size_t first = 0;
    while (first < length && cells[first] == '0') {
        ++first;
    }
    if (first > 0 && first < length && cells[first] == '.') {
        --first;
    }
    m_text.assign(cells + first, length - first);
    const auto value = toSingle(m_text);
    if (!value) {
        return std::nullopt;
    }
    if (isOverRange(*value)) {
        m_text = overRangeUtf8();
    }
    return QString::fromStdString(m_text);
}
