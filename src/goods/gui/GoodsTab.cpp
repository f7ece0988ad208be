#include "goods/gui/GoodsTab.h"
#include "ui_GoodsTab.h"

GoodsTab::GoodsTab(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::GoodsTab>())
{
    m_ui->setupUi(this);
    m_ui->Count->lineEdit()->setMaxLength(5);
}

GoodsTab::~GoodsTab() = default;

PanelStatusBar* GoodsTab::statusBar() const
{
    return m_ui->StatusBar2;
}

void GoodsTab::setSampleCounts(const QStringList& counts)
{
    m_ui->Count->addItems(counts);
    m_ui->Count->setCurrentIndex(-1);
}

void GoodsTab::setSampling(bool on)
{
    m_ui->CheckCapacity->setChecked(on);
    for (QWidget* box : {static_cast<QWidget*>(m_ui->Count), static_cast<QWidget*>(m_ui->Edit6)}) {
        box->setEnabled(on);
        box->setBackgroundRole(on ? QPalette::Base : QPalette::Window);
    }
}
