#pragma once

#include "scale/ScaleTypes.h"
#include <QString>
#include <QTime>

#include <functional>
#include <utility>

class GoodsLogSink;
class GoodsView;
class OrderDatabase;
class Prompter;
class ScaleReaderHost;
class SoundPlayer;

// What the goods tab does: the operator puts one article or a counted sample on the scale, scans
// its barcode, and the weight of one article in grams becomes the goods' unit weight in the order
// database. Each method is one handler of the tab; the tab only forwards its controls' events.
class GoodsWeighing
{
public:
    // The log is started afresh once it holds this many lines.
    static constexpr int kLogLines = 50;

    GoodsWeighing(OrderDatabase& orderDb, GoodsView& view, GoodsLogSink& log, Prompter& prompter,
                  SoundPlayer& sounds);

    // The program's scale reader, suspended while a weight is typed here; none with typed weights.
    void setScaleReader(ScaleReaderHost* reader) { m_reader = reader; }
    // The scale type index in use (0-based row of ScaleTypel).
    void setScaleTypeIndex(int index) { m_scaleTypeIndex = index; }
    int scaleTypeIndex() const { return m_scaleTypeIndex; }
    // Where the time of day heading each log line comes from.
    void setClock(std::function<QTime()> clock) { m_clock = std::move(clock); }

    // Entry: looks the barcode up, shows the goods and stores the weighed unit weight.
    void enter();
    // Enter in the weight box; with typed weights it moves on to the barcode once per weight.
    void weightEnter();
    // Any other key typed into the weight box.
    void weightKeyTyped();
    void weightChanged(const QString& text);
    void countChanged(const QString& text);
    void samplingClicked(bool checked);
    void manualWeightClicked(bool checked);
    // The tab became visible.
    void shown();
    // A text of the scale reader for the weight box.
    void scaleWeight(const QString& text);
    // F1 and F2 on this tab.
    void focusWeight();
    void focusBarcode();

private:
    bool typedWeights() const { return m_scaleTypeIndex == kManualScaleTypeIndex; }
    // A line of the log headed by the time of day, with the sound of its outcome.
    void report(const QString& afterTime, bool success);
    void showGoods(const QString& name, const QString& spec, const QString& weight);
    void storeFirstWeight(const QString& goodsId, const QString& barcode, double grams);
    void replaceWeight(const QString& goodsId, const QString& barcode, const QString& storedWeight,
                       double grams);
    void focusNext();

    OrderDatabase& m_orderDb;
    GoodsView& m_view;
    GoodsLogSink& m_log;
    Prompter& m_prompter;
    SoundPlayer& m_sounds;
    ScaleReaderHost* m_reader = nullptr;
    int m_scaleTypeIndex = -1;
    std::function<QTime()> m_clock = [] { return QTime::currentTime(); };
    // With typed weights: Enter in the weight box has moved on to the barcode and no other key
    // came since, so a repeated Enter does nothing.
    bool m_enterHandled = false;
};
