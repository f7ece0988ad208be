#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <string>

// Turns the scale's byte stream into the texts the weight boxes show. One instance lives for the
// whole run and is fed one byte at a time on the window thread; a new reader starts it at a frame
// boundary (beginStream), so that no frame of the old port joins the bytes of the new one.
class WeightDecoder
{
public:
    // Scale type index 0, 1, 2 and 4 select the frame protocols A, B, C and D; 3 is typed
    // weights. Port number 0 means no port, and every byte is ignored.
    struct Settings
    {
        int scaleTypeIndex = -1;
        int portNumber = 0;
        double scaleRange = 0.0;
    };

    static const QString& negativeText();
    static const QString& wrongUnitText();
    static const QString& overRangeText();

    void setSettings(const Settings& settings) { m_settings = settings; }
    const Settings& settings() const { return m_settings; }

    // Feeds one received byte. Returns the text the weight boxes show now, if this byte ends a
    // frame that shows one (an empty text empties the boxes).
    std::optional<QString> decode(char byte);

    // Every text the bytes show, in order.
    QStringList decodeAll(QByteArrayView bytes);

    // Drops the frame in progress and takes the next byte as the first of a frame, as a frame end
    // would: a new reader's port has just been opened and emptied, and its first complete frame
    // is to be shown.
    void beginStream();

    // Drops the frame in progress and ignores bytes up to the next frame boundary. Used when the
    // stream is joined at an arbitrary point (a reader resumes after dropping what came while it
    // was suspended), so that the tail of a frame is never taken for a whole weight.
    void resynchronise();

private:
    bool takeMarker(char byte);
    std::optional<QString> markedText() const;
    std::optional<QString> protocolA(char byte);
    std::optional<QString> protocolB(char byte);
    std::optional<QString> protocolC(char byte);
    std::optional<QString> protocolD(char byte);
    std::optional<QString> finishBufferFrame(char* cells, std::size_t textCells);
    bool isOverRange(float value) const;
    void resetBufferB();
    void resetBufferC();

    Settings m_settings;
    // Characters collected so far (A and D), or the text shown last (UTF-8).
    std::string m_text;
    int m_frameState = 0;
    // Eight (B) and six (C) character cells and a terminator cell each.
    std::array<char, 9> m_bufferB{'l'};
    int m_indexB = 0;
    std::array<char, 7> m_bufferC{'l'};
    int m_indexC = 5;
    bool m_armedC = false;
    bool m_synchronising = false;
};
