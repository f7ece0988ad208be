#pragma once

#include <QSqlDatabase>
#include <QStringList>

#include <functional>

class Prompter;
class QWidget;
class TPostageRuleDlg;
class TPostageStyleDlg;
class TRuleDlg;
class TSndStyleDlg;

// The four postage windows, created once and wired to each other. They are children of the parent
// given (which deletes them) and use postageDb and prompter for as long as they live.
struct PostageDialogs
{
    TRuleDlg* ruleDlg = nullptr;
    TPostageRuleDlg* postageRuleDlg = nullptr;
    TPostageStyleDlg* postageStyleDlg = nullptr;
    // The entry: "邮资设置" shows it modally.
    TSndStyleDlg* sndStyleDlg = nullptr;
};

PostageDialogs createPostageDialogs(QSqlDatabase& postageDb, Prompter& prompter,
                                    std::function<bool()> orderDatabaseOpen,
                                    std::function<QStringList()> companyNames, QWidget* parent);
