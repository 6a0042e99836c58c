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
    case Notice::LinkPortIsOpen:
        return QStringLiteral("%1 は開いているため、ポートを変えられません。");
    case Notice::LinkNoPortNumber:
        return QStringLiteral("COM%1 はポート番号として使えません。");
    case Notice::LinkBadSettings:
        return QStringLiteral(
            "通信条件「%1」は使えません (ボーレート,パリティ,データ長,ストップビット)。");
    case Notice::LinkSettingsRefused:
        return QStringLiteral("%1 にこの通信条件を設定できません: %2");
    case Notice::LinkBadInputLength:
        return QStringLiteral("読み込み長 %1 は使えません。");
    case Notice::LinkBadThreshold:
        return QStringLiteral("受信イベントのしきい値 %1 は使えません。");
    case Notice::LinkAlreadyOpen:
        return QStringLiteral("%1 はすでに開いています。");
    case Notice::LinkNoSuchPort:
        return QStringLiteral("ポート %1 がありません。");
    case Notice::LinkCannotOpen:
        return QStringLiteral("%1 (%2) を開けません: %3");
    case Notice::LinkInUse:
        return QStringLiteral("%1 (%2) は他のプログラムが使っています (%3)。");
    case Notice::LinkNotOpen:
        return QStringLiteral("%1 は開いていません。");
    case Notice::LinkTakesNothing:
        return QStringLiteral("%1 が送信を受け付けません。送信データを捨てました。");
    case Notice::LinkLost:
        return QStringLiteral(
            "%1 (%2) が使えなくなりました。装置が外されたか、相手側が閉じました。");
    case Notice::HelpDocumentMissing:
        return QStringLiteral("ヘルプ文書 %1 がありません。");
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
