#include "scale/ScaleSettingsApply.h"

#include "base/Texts.h"

#include "base/InputRules.h"
#include "base/Prompter.h"
#include "scale/ComDeviceMap.h"
#include "scale/ScaleReaderHost.h"
#include "scale/ScaleSettingsStore.h"
#include "scale/ScaleView.h"

namespace ScaleSettingsApply {

ReaderConfig readerConfigFor(const ScaleState& state, QSqlDatabase& loginDb)
{
    ReaderConfig config;
    config.scaleTypeIndex = state.scaleTypeIndex;
    config.portNumber = state.portNumber;
    config.device = ComDeviceMap::device(loginDb, state.portNumber);
    config.baudRate = state.baudRate;
    config.scaleRange = state.scaleRange;
    return config;
}

void startAtShow(const ScaleState& state, QSqlDatabase& loginDb, ScaleReaderHost& host, ScaleView& view)
{
    if (state.scaleTypeIndex == kManualScaleTypeIndex) {
        view.setManualWeightCaptions(QString::fromUtf8(Texts::kRemember));
        view.setScanWeightReadOnly(false);
        view.setGoodsWeightReadOnly(false);
        view.clearWeights();
        return;
    }
    host.start(readerConfigFor(state, loginDb));
}

bool apply(const ScaleChoice& choice, ScaleState& state, StationSettings& settings, QSqlDatabase& loginDb,
           ScaleReaderHost& host, ScaleView& view, Prompter& prompter)
{
    if (!InputRules::isLegalRange(choice.range)) {
        prompter.inform(QStringLiteral("输入的量程数据非法，请重新输入!"));
        return false;
    }
    if (!InputRules::isLegalBaudRate(choice.baudRate)) {
        prompter.inform(QStringLiteral("输入的波特率数据非法，请重新输入!"));
        return false;
    }
    if (choice.portNumber < 1) {
        prompter.inform(QStringLiteral("未选择端口号!"));
        return false;
    }
    if (choice.scaleTypeIndex == -1) {
        prompter.inform(QStringLiteral("未选择电子秤的类型!"));
        return false;
    }
    const QString device = choice.device.trimmed();
    if (choice.scaleTypeIndex != kManualScaleTypeIndex && device.isEmpty()) {
        prompter.inform(QStringLiteral("未填写串口设备!"));
        return false;
    }

    QString error;
    if (!ScaleSettingsStore::storeChoice(settings, choice.portNumber, choice.scaleTypeIndex, choice.range,
                                         choice.baudRate, device, &error)) {
        prompter.inform(QStringLiteral("电子秤配置保存失败!\n") + error);
        return false;
    }
    state.portNumber = choice.portNumber;
    state.scaleTypeIndex = choice.scaleTypeIndex;
    if (const auto values = ScaleSettingsStore::typeValues(loginDb, state.scaleTypeIndex + 1)) {
        state.scaleRange = values->range;
        state.baudRate = values->baudRate;
    }
    prompter.tell(QStringLiteral("电子秤配置修改成功!"));

    // At most one reader: the old one has ended before anything else happens.
    host.stopAndWait();

    if (state.scaleTypeIndex == kManualScaleTypeIndex) {
        view.setManualWeightCaptions(QString::fromUtf8(Texts::kRemember));
        view.setScanWeightReadOnly(false);
        view.setGoodsWeightReadOnly(false);
        view.clearWeights();
        view.setScanWeightReadOnly(view.isScanManualWeightChecked());
        view.setGoodsWeightReadOnly(view.isGoodsManualWeightChecked());
        return true;
    }
    view.setManualWeightCaptions(QStringLiteral("手动输入重量"));
    view.setScanWeightReadOnly(true);
    view.setGoodsWeightReadOnly(true);
    view.clearWeights();
    host.start(readerConfigFor(state, loginDb));
    if (view.isScanManualWeightChecked()) {
        view.setScanWeightReadOnly(false);
        host.suspend();
    }
    if (view.isGoodsManualWeightChecked()) {
        view.setGoodsWeightReadOnly(false);
        host.suspend();
    }
    return true;
}

} // namespace ScaleSettingsApply
