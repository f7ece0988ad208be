#include "postage/gui/PostageDialogs.h"

#include "postage/gui/TPostageRuleDlg.h"
#include "postage/gui/TPostageStyleDlg.h"
#include "postage/gui/TRuleDlg.h"
#include "postage/gui/TSndStyleDlg.h"

PostageDialogs createPostageDialogs(QSqlDatabase& postageDb, Prompter& prompter,
                                    std::function<bool()> orderDatabaseOpen,
                                    std::function<QStringList()> companyNames, QWidget* parent)
{
    PostageDialogs dialogs;
    dialogs.ruleDlg = new TRuleDlg(postageDb, prompter, parent);
    dialogs.postageRuleDlg = new TPostageRuleDlg(postageDb, prompter, *dialogs.ruleDlg, parent);
    dialogs.postageStyleDlg = new TPostageStyleDlg(postageDb, prompter, *dialogs.postageRuleDlg, parent);
    dialogs.sndStyleDlg =
        new TSndStyleDlg(postageDb, prompter, *dialogs.postageStyleDlg, *dialogs.postageRuleDlg,
                         std::move(orderDatabaseOpen), std::move(companyNames), parent);
    return dialogs;
}
