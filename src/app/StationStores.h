#pragma once

#include "store/OrderDatabase.h"
#include "store/SqlConnection.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <memory>

// The three stores of a station: login.db and Postage.db in the data folder, and the order
// database. A data folder without login.db gets the first start's defaults, including a small
// embedded demo shop beside it. Each file appears whole or not at all, however the start ends; an
// empty one is made again, one that is not the program's is refused and kept.
class StationStores
{
public:
    // The demo order database a first start creates, and how many trades it holds.
    static constexpr char kDemoFileName[] = "zelvo-demo.db";
    static constexpr int kDemoTrades = 300;

    explicit StationStores(const QString& dataFolder);
    ~StationStores();
    StationStores(const StationStores&) = delete;
    StationStores& operator=(const StationStores&) = delete;

    const QString& dataFolder() const { return m_dataFolder; }
    QString loginPath() const;
    QString postagePath() const;
    QString demoPath() const;

    bool openLogin(QString* error);
    // Needs login.db open: a new Postage.db of an embedded shop gets demo rules for its companies.
    bool openPostage(QString* error);
    // Needs login.db open: when it points at the demo shop of this folder and that file is missing
    // or empty, the shop is made again.
    bool provideDemoShop(QString* error);
    // The files that other users could read and that were made private when they were opened; each
    // is named once.
    QStringList takeTightenedFiles();

    bool loginOpen() const { return m_login && m_login->isOpen(); }
    bool postageOpen() const { return m_postage && m_postage->isOpen(); }
    QSqlDatabase& loginDb() { return m_login->db(); }
    QSqlDatabase& postageDb() { return m_postage->db(); }
    OrderDatabase& orderDb() { return m_order; }

private:
    // login.db and Postage.db hold passwords, the demo shop its logins.
    void keepPrivate(const QString& path);
    bool servesDemoShop();
    bool createLoginFile(QSqlDatabase& db, QString* error);
    bool createPostageFile(QSqlDatabase& db, QString* error);

    QString m_dataFolder;
    std::unique_ptr<SqlConnection> m_login;
    std::unique_ptr<SqlConnection> m_postage;
    OrderDatabase m_order;
    QStringList m_tightened;
};
