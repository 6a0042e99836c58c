#include "config/Notices.h"

#include "config/ProfileForms.h"
#include "config/ProgramFolder.h"

namespace torvik::config {
namespace {

QString builtIn(Notice notice) {
    switch (notice) {
    case Notice::ControlsMissing:
        return QStringLiteral("通信コントロールを読み込めません (%1): %2");
    case Notice::ErrorLogNotWritten:
        return QStringLiteral("エラーログを書けません: %1");
    case Notice::RecordsKept:
        return QStringLiteral("データを保存できません (%1)。記録は %2 に残っています。");
    case Notice::DataFolderMissing:
        return QStringLiteral("保存場所のフォルダ %1 がありません");
    case Notice::NoSaveName:
        return QStringLiteral("設定からデータファイル名を作れません");
    case Notice::SaveCancelled:
        return QStringLiteral("保存が取り消されました");
    case Notice::CopyFailed:
        return QStringLiteral("%1 に書き込めません: %2");
    case Notice::WorkingFileChosen:
        return QStringLiteral("選んだファイルは作業ファイルそのものです");
    case Notice::CommScreenTitle:
        return QStringLiteral("通信");
    case Notice::SettingScreenTitle:
        return QStringLiteral("通信設定");
    case Notice::HelpWindowTitle:
        return QStringLiteral("Torvik ヘルプ");
    case Notice::ProgramFolderUnusable:
        return QStringLiteral("プログラムフォルダー %1 を使えません: %2。"
                              "書き込めるフォルダーを TORVIK_HOME に指定してください。");
    }
    return {};
}

} // namespace

QString noticeText(const ProfileDocument& catalogue, Notice notice) {
    const QString text = mdlFileMgr::readText(catalogue, u"NOTICE",
                                              QString::number(static_cast<int>(notice)), u"", 99);
    return text.isEmpty() ? builtIn(notice) : text;
}

QString noticeText(Notice notice) {
    return noticeText(ProfileDocument::load(labelFilePath(programFolder())), notice);
}

} // namespace torvik::config
