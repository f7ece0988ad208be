#pragma once

#include "store/OrderDatabase.h"
#include "store/SqlConnection.h"

#include <QSqlDatabase>
#include <QString>

#include <memory>

// The three stores of a station: login.db and Postage.db in the data folder, and the order
// database. A data folder without login.db gets the first start's defaults, including a small
// embedded demo shop beside it.
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

    bool openLogin(QString* error);
    // Needs login.db open: a new Postage.db of an embedded shop gets demo rules for its companies.
    bool openPostage(QString* error);

    bool loginOpen() const { return m_login && m_login->isOpen(); }
    bool postageOpen() const { return m_postage && m_postage->isOpen(); }
    QSqlDatabase& loginDb() { return m_login->db(); }
    QSqlDatabase& postageDb() { return m_postage->db(); }
    OrderDatabase& orderDb() { return m_order; }

private:
    bool createLoginFile(QSqlDatabase& db, QString* error);
    bool createPostageFile(QSqlDatabase& db, QString* error);

    QString m_dataFolder;
    std::unique_ptr<SqlConnection> m_login;
    std::unique_ptr<SqlConnection> m_postage;
    OrderDatabase m_order;
};
