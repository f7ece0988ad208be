#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class TFormProgress;
}

// A small borderless window with one progress bar, shown over the main window during an export.
class TFormProgress : public QWidget
{
    Q_OBJECT

public:
    explicit TFormProgress(QWidget* parent = nullptr);
    ~TFormProgress() override;

    // Centred on over, the bar empty with this maximum, shown.
    void start(QWidget* over, qint64 maximum);
    // The bar at written rows.
    void advanceTo(qint64 written);
    int position() const;
    int maximum() const;

private:
    std::unique_ptr<Ui::TFormProgress> m_ui;
};
