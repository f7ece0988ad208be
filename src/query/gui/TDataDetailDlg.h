#pragma once

#include <QDialog>
#include <QStringList>

#include <array>
#include <memory>

namespace Ui {
class TDataDetailDlg;
}
class QLineEdit;

// "数据明细": every field of one row of the result list, in three columns of eight.
class TDataDetailDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TDataDetailDlg(QWidget* parent = nullptr);
    ~TDataDetailDlg() override;

    // The row's serial number and its 22 fields, entry i − 1 for field i.
    void fill(const QString& serial, const QStringList& fields);
    QString fieldText(int field) const;

private:
    std::unique_ptr<Ui::TDataDetailDlg> m_ui;
    // Edit0 … Edit22 by the list column they show.
    std::array<QLineEdit*, 23> m_fields{};
};
