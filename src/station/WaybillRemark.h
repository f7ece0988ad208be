#pragma once

#include <QString>

// Additional waybill numbers in a trade's seller remark: "附加单号" followed by the number, and,
// once its parcel has left, a shipped note right after the number ("附加单号YT1已发货(…)").
// A number stands for itself only: YT1 is not found inside 附加单号YT12.
namespace WaybillRemark {

inline constexpr char kMarker[] = "附加单号";
inline constexpr char kShipped[] = "已发货";

// Whether the remark names the number at all (pending or shipped).
bool names(const QString& remark, const QString& number);
// Whether the number's parcel has been marked as shipped.
bool isShipped(const QString& remark, const QString& number);
// The remark with the note inserted right after the first pending mention of the number; the
// remark unchanged when there is none.
QString marked(const QString& remark, const QString& number, const QString& note);

// The shipped notes of the two postage modes.
QString onceNote(const QString& weightBoxText);
QString separateNote(const QString& weightBoxText, const QString& parcelPostage);

} // namespace WaybillRemark
