#include "query/gui/TFormProgress.h"
#include "ui_TFormProgress.h"

#include <algorithm>

TFormProgress::TFormProgress(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_ui(std::make_unique<Ui::TFormProgress>())
{
    m_ui->setupUi(this);
    setFixedSize(261, 55);
}

TFormProgress::~TFormProgress() = default;

void TFormProgress::start(QWidget* over, qint64 maximum)
{
    // The bar counts in int.
    m_ui->ProgressBar1->setRange(0, int(std::clamp<qint64>(maximum, 1, INT_MAX)));
    m_ui->ProgressBar1->setValue(0);
    if (over) {
        const QRect area = over->window()->frameGeometry();
        move(area.center() - rect().center());
    }
    show();
    raise();
}

void TFormProgress::advanceTo(qint64 written)
{
    m_ui->ProgressBar1->setValue(int(std::min<qint64>(written, m_ui->ProgressBar1->maximum())));
}

int TFormProgress::position() const
{
    return m_ui->ProgressBar1->value();
}

int TFormProgress::maximum() const
{
    return m_ui->ProgressBar1->maximum();
}
