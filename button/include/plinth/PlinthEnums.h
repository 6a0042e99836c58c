/* The published enumerations of the command button, under the constant names form code
 * uses. Hosts that bind late look the same names up at run time (PlinthFindConstant).
 * The names are UTF-8 identifiers, which GCC 10 and clang 3.3 onwards accept in C and C++. */
#ifndef PLINTH_PLINTHENUMS_H
#define PLINTH_PLINTHENUMS_H

/* Where the picture stands in data of version 3 and older; newer data derives its
 * caption and picture places from it when it lacks them. */
enum AlignmentConstants { kxa_中央 = 0, kxa_上 = 1, kxa_下 = 2, kxa_左 = 3, kxa_右 = 4 };

enum AlignmentHConstants { kxah_左揃え = 0, kxah_右揃え = 1, kxah_中央揃え = 2 };

enum AlignmentVConstants { kxav_上揃え = 0, kxav_中央揃え = 1, kxav_下揃え = 2 };

enum AlignPictConstants { kxap_中央 = 0, kxap_端側 = 1, kxap_文字側 = 2 };

enum ButtonStyleConstants { kxbs_Win31風 = 0, kxbs_Win95風 = 1, kxbs_二重枠 = 2, kxbs_非表示 = 3 };

enum CaptionAlignmentHConstants {
    kxcah_左揃え = 0,
    kxcah_右揃え = 1,
    kxcah_中央揃え = 2,
    kxcah_均等割付 = 3
};

enum CaptionAlignmentVConstants {
    kxcav_上揃え = 0,
    kxcav_中央揃え = 1,
    kxcav_下揃え = 2,
    kxcav_均等割付 = 3
};

enum CaptionDirectionConstants { kxcd_横書き = 0, kxcd_縦書き = 1, kxcd_縦書き_縦ﾌｫﾝﾄ用 = 2 };

enum CaptionFocusBorderConstants {
    kxcfb_なし = 0,
    kxcfb_標準 = 1,
    kxcfb_細線 = 2,
    kxcfb_太線 = 3,
    kxcfb_細破線 = 4,
    kxcfb_太破線 = 5,
    kxcfb_浅凹 = 6,
    kxcfb_深凹 = 7
};

enum CaptionModeConstants { kxcm_不変 = 0, kxcm_択一 = 1, kxcm_組合せ = 2 };

enum FocusBorderConstants {
    kxfb_なし = 0,
    kxfb_標準 = 1,
    kxfb_細線 = 2,
    kxfb_太線 = 3,
    kxfb_細破線 = 4,
    kxfb_太破線 = 5
};

enum Font3DConstants {
    kxf3d_なし = 0,
    kxf3d_凸型 = 1,
    kxf3d_凸型影付き = 2,
    kxf3d_凹型 = 3,
    kxf3d_凹型影付き = 4,
    kxf3d_影付き = 5,
    kxf3d_縁取り = 6
};

enum LostFocusAtArrowConstants { kxlf_オフ = 0, kxlf_オン = 1 };

enum LostFocusCauseConstants {
    kxlfc_通常 = 0,
    kxlfc_左矢印 = 1,
    kxlfc_右矢印 = 2,
    kxlfc_上矢印 = 3,
    kxlfc_下矢印 = 4,
    kxlfc_リターン = 5,
    kxlfc_入力完了 = 6
};

enum MousePointerConstants {
    kxmp_既定値 = 0,
    kxmp_矢印 = 1,
    kxmp_クロス = 2,
    kxmp_Iビーム = 3,
    kxmp_アイコン = 4,
    kxmp_サイズ_上下左右 = 5,
    kxmp_サイズ_右上_左下 = 6,
    kxmp_サイズ_上下 = 7,
    kxmp_サイズ_左上_右下 = 8,
    kxmp_サイズ_左右 = 9,
    kxmp_上矢印 = 10,
    kxmp_砂時計 = 11,
    kxmp_禁止 = 12,
    kxmp_矢印と砂時計 = 13,
    kxmp_矢印と疑問符 = 14,
    kxmp_サイズ_全方向 = 15,
    kxmp_ユーザー定義 = 99
};

enum VKeyACSConstants { kxvkacs_無視 = 0, kxvkacs_オフ = 1, kxvkacs_オン = 2 };

enum VKeyExConstants { kxvkex_全キー = 0, kxvkex_非拡張キー = 1, kxvkex_拡張キー = 2 };

enum ButtonCaptionConstants { kxcp_左 = 0, kxcp_右 = 1, kxcp_上 = 2, kxcp_下 = 3, kxcp_中央 = 4 };

enum OLEDropModeConstants { kxodrop_なし = 0, kxodrop_手動 = 1 };

#endif
