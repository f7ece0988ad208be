#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TOKRightDlg;
}

// Asks for the operation code before a maintenance command; "执行" closes it with OK and is
// enabled only while the box holds the code. The box is emptied at each opening.
class TOKRightDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TOKRightDlg(QWidget* parent = nullptr);
    ~TOKRightDlg() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void Edit1Change(const QString& text);

    std::unique_ptr<Ui::TOKRightDlg> m_ui;
};
