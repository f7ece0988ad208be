#include "station/gui/ScanTab.h"
#include "ui_ScanTab.h"

#include "store/LocalQuery.h"

namespace {

struct StaffBox
{
    QComboBox* list;
    QCheckBox* remember;
    const char* useColumn;
    const char* rememberColumn;
    const char* valueColumn;
};

} // namespace

ScanTab::ScanTab(QWidget* parent) : QWidget(parent), m_ui(std::make_unique<Ui::ScanTab>())
{
    m_ui->setupUi(this);
    m_ui->Edit1->setFocus();
    m_ui->Picker->setEnabled(false);
}

ScanTab::~ScanTab() = default;

PanelStatusBar* ScanTab::statusBar() const
{
    return m_ui->StatusBar1;
}

void ScanTab::fillStaffLists(const QStringList& staff, const QStringList& packages)
{
    for (QComboBox* list : {m_ui->Picker, m_ui->PackageOperator}) {
        list->clear();
        list->addItem(QString());
        list->addItems(staff);
    }
    m_ui->PackageID->clear();
    m_ui->PackageID->addItem(QString());
    m_ui->PackageID->addItems(packages);
}

void ScanTab::applyStaffSettings(QSqlDatabase& loginDb)
{
    const StaffBox boxes[] = {
        {m_ui->Picker, m_ui->PickerCheck2, "PickerCheck", "PickerCheck2", "DefaultPicker"},
        {m_ui->PackageID, m_ui->PackageIDCheck2, "PackageIDCheck", "PackageIDCheck2", "DefalutPackageID"},
        {m_ui->PackageOperator, m_ui->PackageOperatorCheck2, "PackageOperatorCheck", "PackageOperatorCheck2",
         "DefaultPackageOperator"},
    };
    const auto row = LocalQuery::firstRow(
        loginDb, QStringLiteral("select PickerCheck2,DefaultPicker,PackageIDCheck2,DefalutPackageID,"
                                "PackageOperatorCheck2,DefaultPackageOperator,PackageIDCheck,PickerCheck,"
                                "PackageOperatorCheck from Initialization where ID = 1"));
    if (!row) {
        return;
    }
    for (const StaffBox& box : boxes) {
        const bool remembered = row->value(QLatin1String(box.rememberColumn)).toInt() != 0;
        if (remembered) {
            // A remembered name no longer in the list leaves the list without a selection.
            const QString value = row->value(QLatin1String(box.valueColumn)).toString();
            box.list->setCurrentIndex(box.list->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive));
        }
        const bool used = row->value(QLatin1String(box.useColumn)).toInt() != 0;
        box.remember->setEnabled(used);
        box.remember->setChecked(remembered);
        box.list->setEnabled(used && !remembered);
    }
}
