#pragma once

#include "app/StationSession.h"
#include "base/SoundPlayer.h"
#include "station/AnsweringPrompter.h"
#include "station/PlainScanView.h"
#include "station/ShipOutcome.h"
#include "station/StationReport.h"

#include <functional>
#include <optional>

// A scan-and-ship station without a window, for automatic lines with a fixed scanner: the same
// session, login, options and ship procedure as the scan tab, weights typed.
class HeadlessStation
{
public:
    struct Options
    {
        QString dataDir;
        QString user;
        QString password;
        bool tradeNumber = false;       // scans are trade numbers (" 交易号")
        bool answer = false;            // the answer to every question
        std::optional<QString> postage; // postage typed by hand (yuan); computed when absent
    };
    using Listener = std::function<void(const QString& text)>;

    // onLine hears each station log line as it is reported, onMessage each message box.
    HeadlessStation(Options options, Listener onLine, Listener onMessage);
    ~HeadlessStation();
    HeadlessStation(const HeadlessStation&) = delete;
    HeadlessStation& operator=(const HeadlessStation&) = delete;

    // Starts the session (a folder without login.db gets the first start's defaults, demo shop
    // included), logs in as the login window does and reads the scan tab's options.
    bool start(QString* error);
    // One parcel: the weight in kilograms as typed and the scanned number.
    ShipOutcome ship(const QString& weightKg, const QString& scan);

    StationSession& session() { return m_session; }
    const StationLog& log() const { return m_report.log(); }
    const PlainScanView& view() const { return m_view; }

private:
    class Silence : public SoundPlayer
    {
    public:
        void play(const QString&) override {}
    };

    bool loadOptions(QString* error);

    Options m_options;
    Silence m_sounds;
    AnsweringPrompter m_prompter;
    StationSession m_session;
    StationReport m_report;
    PlainScanView m_view;
};
