#pragma once

// Fixed texts the operator sees from more than one place of the program, each written once.
namespace Texts {
inline constexpr char kConfigAccessFailed[] = "程序配置文件访问失败!";
inline constexpr char kScaleNotConnected[] = "电子秤未连接";
inline constexpr char kPostageError[] = "计算邮资错误!";
inline constexpr char kNotFound[] = "不存在!";
inline constexpr char kShippedTail[] = "元,发货成功!";
inline constexpr char kRemember[] = "记住";
inline constexpr char kSaveSettingsFailed[] = "保存设置失败:";
inline constexpr char kReadRulesFailed[] = "读取邮资规则失败：";
inline constexpr char kChooseRule[] = "请选择规则!";
} // namespace Texts
