#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TPublishDlg;
}

// "版本信息": the program, its version and the release notes.
class TPublishDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TPublishDlg(QWidget* parent = nullptr);
    ~TPublishDlg() override;

    // The folder of login.db and Postage.db in use.
    void setDataFolder(const QString& folder);

private:
    std::unique_ptr<Ui::TPublishDlg> m_ui;
};
