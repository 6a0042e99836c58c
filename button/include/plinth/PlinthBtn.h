// PlinthBtn: an owner-drawn command button for forms. Captions chosen by the modifier keys
// held down, a picture and a face colour per state, four frame styles and 3D lettering, a
// virtual key that presses the button from anywhere in its window, focus movement by the
// arrow and Enter keys, a pop-up menu of up to 20 items and drag and drop.
//
// Every property of the stored form is a Q_PROPERTY under its form name. Colours are OLE
// colours: 0x00BBGGRR, or 0x80000000 | n for the system colour n, which follows the
// widget's palette. 16-bit properties are ints limited to their range. A write outside a
// property's range is ignored with a warning; the automation interface refuses it instead.
//
// The widget sits on QAbstractButton: Toggle and Value are its checkable and checked state,
// so clicked() and toggled(), button groups and accessibility work as for any Qt button;
// the drawing and the keyboard are the button's own.
#pragma once

#include "plinth/PlinthExport.h"

#include <QAbstractButton>
#include <QPixmap>
#include <memory>

namespace plinth {
class PlinthBtnPrivate;
class PlinthDataObject;
struct PlinthBtnAccess;
} // namespace plinth

class PLINTH_EXPORT PlinthBtn : public QAbstractButton {
    Q_OBJECT

public:
    // The published enumerations with the same values as in PlinthEnums.h, each constant
    // under its published prefix and its meaning in English (Qt's meta-object compiler takes
    // ASCII names only). They are plain enumerations in the class, as Qt Designer writes and
    // uic compiles them: PlinthBtn::kxbs_DoubleFrame.
    enum AlignmentConstants {
        kxa_Centre = 0,
        kxa_Top = 1,
        kxa_Bottom = 2,
        kxa_Left = 3,
        kxa_Right = 4
    };
    enum AlignmentHConstants { kxah_Left = 0, kxah_Right = 1, kxah_Centre = 2 };
    enum AlignmentVConstants { kxav_Top = 0, kxav_Middle = 1, kxav_Bottom = 2 };
    enum AlignPictConstants { kxap_Centre = 0, kxap_EdgeSide = 1, kxap_CaptionSide = 2 };
    enum ButtonStyleConstants {
        kxbs_Win31Look = 0,
        kxbs_Win95Look = 1,
        kxbs_DoubleFrame = 2,
        kxbs_NoFrame = 3
    };
    enum CaptionAlignmentHConstants {
        kxcah_Left = 0,
        kxcah_Right = 1,
        kxcah_Centre = 2,
        kxcah_Justified = 3
    };
    enum CaptionAlignmentVConstants {
        kxcav_Top = 0,
        kxcav_Middle = 1,
        kxcav_Bottom = 2,
        kxcav_Justified = 3
    };
    enum CaptionDirectionConstants {
        kxcd_Horizontal = 0,
        kxcd_Vertical = 1,
        kxcd_VerticalFont = 2
    };
    enum CaptionFocusBorderConstants {
        kxcfb_None = 0,
        kxcfb_Standard = 1,
        kxcfb_Thin = 2,
        kxcfb_Thick = 3,
        kxcfb_ThinDashed = 4,
        kxcfb_ThickDashed = 5,
        kxcfb_ShallowSunken = 6,
        kxcfb_DeepSunken = 7
    };
    enum CaptionModeConstants { kxcm_Fixed = 0, kxcm_OneOf = 1, kxcm_Combination = 2 };
    enum FocusBorderConstants {
        kxfb_None = 0,
        kxfb_Standard = 1,
        kxfb_Thin = 2,
        kxfb_Thick = 3,
        kxfb_ThinDashed = 4,
        kxfb_ThickDashed = 5
    };
    enum Font3DConstants {
        kxf3d_None = 0,
        kxf3d_Raised = 1,
        kxf3d_RaisedShadow = 2,
        kxf3d_Inset = 3,
        kxf3d_InsetShadow = 4,
        kxf3d_Shadowed = 5,
        kxf3d_Outlined = 6
    };
    enum LostFocusAtArrowConstants { kxlf_Off = 0, kxlf_On = 1 };
    enum LostFocusCauseConstants {
        kxlfc_Normal = 0,
        kxlfc_LeftArrow = 1,
        kxlfc_RightArrow = 2,
        kxlfc_UpArrow = 3,
        kxlfc_DownArrow = 4,
        kxlfc_Return = 5,
        kxlfc_InputComplete = 6
    };
    enum MousePointerConstants {
        kxmp_Default = 0,
        kxmp_Arrow = 1,
        kxmp_Cross = 2,
        kxmp_IBeam = 3,
        kxmp_Icon = 4,
        kxmp_SizeFourWays = 5,
        kxmp_SizeNESW = 6,
        kxmp_SizeNS = 7,
        kxmp_SizeNWSE = 8,
        kxmp_SizeWE = 9,
        kxmp_UpArrow = 10,
        kxmp_Hourglass = 11,
        kxmp_NoDrop = 12,
        kxmp_ArrowHourglass = 13,
        kxmp_ArrowQuestion = 14,
        kxmp_SizeAll = 15,
        kxmp_Custom = 99
    };
    enum VKeyACSConstants { kxvkacs_Ignore = 0, kxvkacs_Off = 1, kxvkacs_On = 2 };
    enum VKeyExConstants {
        kxvkex_AllKeys = 0,
        kxvkex_NonExtendedKeys = 1,
        kxvkex_ExtendedKeys = 2
    };
    enum ButtonCaptionConstants {
        kxcp_Left = 0,
        kxcp_Right = 1,
        kxcp_Top = 2,
        kxcp_Bottom = 3,
        kxcp_Centre = 4
    };
    enum OLEDropModeConstants { kxodrop_None = 0, kxodrop_Manual = 1 };
    Q_ENUM(AlignmentConstants)
    Q_ENUM(AlignmentHConstants)
    Q_ENUM(AlignmentVConstants)
    Q_ENUM(AlignPictConstants)
    Q_ENUM(ButtonStyleConstants)
    Q_ENUM(CaptionAlignmentHConstants)
    Q_ENUM(CaptionAlignmentVConstants)
    Q_ENUM(CaptionDirectionConstants)
    Q_ENUM(CaptionFocusBorderConstants)
    Q_ENUM(CaptionModeConstants)
    Q_ENUM(FocusBorderConstants)
    Q_ENUM(Font3DConstants)
    Q_ENUM(LostFocusAtArrowConstants)
    Q_ENUM(LostFocusCauseConstants)
    Q_ENUM(MousePointerConstants)
    Q_ENUM(VKeyACSConstants)
    Q_ENUM(VKeyExConstants)
    Q_ENUM(ButtonCaptionConstants)
    Q_ENUM(OLEDropModeConstants)

    Q_PROPERTY(QPixmap MouseIcon READ MouseIcon WRITE setMouseIcon)
    Q_PROPERTY(MousePointerConstants MousePointer READ MousePointer WRITE setMousePointer)
    Q_PROPERTY(bool Show READ Show WRITE setShow)
    Q_PROPERTY(bool Thru READ Thru WRITE setThru)
    Q_PROPERTY(bool AlwaysActive READ AlwaysActive WRITE setAlwaysActive)
    Q_PROPERTY(QString CaptionStd READ CaptionStd WRITE setCaptionStd)
    Q_PROPERTY(QString CaptionAlt READ CaptionAlt WRITE setCaptionAlt)
    Q_PROPERTY(QString CaptionAltC READ CaptionAltC WRITE setCaptionAltC)
    Q_PROPERTY(QString CaptionAltCS READ CaptionAltCS WRITE setCaptionAltCS)
    Q_PROPERTY(QString CaptionAltS READ CaptionAltS WRITE setCaptionAltS)
    Q_PROPERTY(QString CaptionCtrl READ CaptionCtrl WRITE setCaptionCtrl)
    Q_PROPERTY(QString CaptionCtrlS READ CaptionCtrlS WRITE setCaptionCtrlS)
    Q_PROPERTY(QString CaptionShift READ CaptionShift WRITE setCaptionShift)
    Q_PROPERTY(uint FocusColor READ FocusColor WRITE setFocusColor)
    Q_PROPERTY(QString HintText READ HintText WRITE setHintText)
    Q_PROPERTY(QString VKeyName READ VKeyName WRITE setVKeyName)
    Q_PROPERTY(int VKeyNo READ VKeyNo WRITE setVKeyNo)
    Q_PROPERTY(CaptionModeConstants CaptionMode READ CaptionMode WRITE setCaptionMode)
    Q_PROPERTY(ButtonStyleConstants ButtonStyle READ ButtonStyle WRITE setButtonStyle)
    Q_PROPERTY(FocusBorderConstants FocusBorder READ FocusBorder WRITE setFocusBorder)
    Q_PROPERTY(AlignmentConstants Alignment READ Alignment WRITE setAlignment)
    Q_PROPERTY(AlignPictConstants AlignPict READ AlignPict WRITE setAlignPict)
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)
    Q_PROPERTY(uint BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(uint ForeColor READ ForeColor WRITE setForeColor)
    Q_PROPERTY(uint DisabledColor READ DisabledColor WRITE setDisabledColor)
    Q_PROPERTY(uint CaptionPointedColor READ CaptionPointedColor WRITE setCaptionPointedColor)
    Q_PROPERTY(uint BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(uint LightColor READ LightColor WRITE setLightColor)
    Q_PROPERTY(uint ShadowColor READ ShadowColor WRITE setShadowColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE setBorderWidth)
    Q_PROPERTY(int InnerBorderWidth READ InnerBorderWidth WRITE setInnerBorderWidth)
    Q_PROPERTY(int OuterBorderWidth READ OuterBorderWidth WRITE setOuterBorderWidth)
    Q_PROPERTY(bool Outline READ Outline WRITE setOutline)
    Q_PROPERTY(bool RoundedCorners READ RoundedCorners WRITE setRoundedCorners)
    Q_PROPERTY(VKeyExConstants VKeyEx READ VKeyEx WRITE setVKeyEx)
    Q_PROPERTY(VKeyACSConstants VKeyAlt READ VKeyAlt WRITE setVKeyAlt)
    Q_PROPERTY(VKeyACSConstants VKeyCtrl READ VKeyCtrl WRITE setVKeyCtrl)
    Q_PROPERTY(VKeyACSConstants VKeyShift READ VKeyShift WRITE setVKeyShift)
    Q_PROPERTY(bool ClickAtEnterKey READ ClickAtEnterKey WRITE setClickAtEnterKey)
    Q_PROPERTY(bool ClickAtSpaceKey READ ClickAtSpaceKey WRITE setClickAtSpaceKey)
    Q_PROPERTY(LostFocusAtArrowConstants LostFocusAtHorzArrow READ LostFocusAtHorzArrow WRITE
                   setLostFocusAtHorzArrow)
    Q_PROPERTY(LostFocusAtArrowConstants LostFocusAtVertArrow READ LostFocusAtVertArrow WRITE
                   setLostFocusAtVertArrow)
    Q_PROPERTY(Font3DConstants Font3D READ Font3D WRITE setFont3D)
    Q_PROPERTY(bool Toggle READ Toggle WRITE setToggle)
    Q_PROPERTY(bool Value READ Value WRITE setValue)
    Q_PROPERTY(CaptionAlignmentHConstants CaptionAlignmentH READ CaptionAlignmentH WRITE
                   setCaptionAlignmentH)
    Q_PROPERTY(CaptionAlignmentVConstants CaptionAlignmentV READ CaptionAlignmentV WRITE
                   setCaptionAlignmentV)
    Q_PROPERTY(
        CaptionDirectionConstants CaptionDirection READ CaptionDirection WRITE setCaptionDirection)
    Q_PROPERTY(CaptionFocusBorderConstants CaptionFocusBorder READ CaptionFocusBorder WRITE
                   setCaptionFocusBorder)
    Q_PROPERTY(ButtonCaptionConstants CaptionPosition READ CaptionPosition WRITE setCaptionPosition)
    Q_PROPERTY(int CaptionRatio READ CaptionRatio WRITE setCaptionRatio)
    Q_PROPERTY(int CaptionSize READ CaptionSize WRITE setCaptionSize)
    Q_PROPERTY(AlignmentHConstants AlignmentH READ AlignmentH WRITE setAlignmentH)
    Q_PROPERTY(AlignmentVConstants AlignmentV READ AlignmentV WRITE setAlignmentV)
    Q_PROPERTY(uint CaptionFocusColor READ CaptionFocusColor WRITE setCaptionFocusColor)
    Q_PROPERTY(bool HalfToneColor READ HalfToneColor WRITE setHalfToneColor)
    Q_PROPERTY(bool CaptionAccelerator READ CaptionAccelerator WRITE setCaptionAccelerator)
    Q_PROPERTY(bool CaptionMultiLine READ CaptionMultiLine WRITE setCaptionMultiLine)
    Q_PROPERTY(bool CausesFocusMovement READ CausesFocusMovement WRITE setCausesFocusMovement)
    Q_PROPERTY(bool KillClickFocus READ KillClickFocus WRITE setKillClickFocus)
    Q_PROPERTY(bool TreatEnterAsTab READ TreatEnterAsTab WRITE setTreatEnterAsTab)
    Q_PROPERTY(QPixmap DownPicture READ DownPicture WRITE setDownPicture)
    Q_PROPERTY(QPixmap DisabledPicture READ DisabledPicture WRITE setDisabledPicture)
    Q_PROPERTY(QPixmap OnPicture READ OnPicture WRITE setOnPicture)
    Q_PROPERTY(uint DownColor READ DownColor WRITE setDownColor)
    Q_PROPERTY(uint OnColor READ OnColor WRITE setOnColor)
    Q_PROPERTY(OLEDropModeConstants OLEDropMode READ OLEDropMode WRITE setOLEDropMode)

    // Run-time state.
    Q_PROPERTY(LostFocusCauseConstants LostFocusCause READ LostFocusCause DESIGNABLE false)

    // QAbstractButton's own members that the form properties above stand for.
    Q_PROPERTY(QString text READ text WRITE setText DESIGNABLE false)
    Q_PROPERTY(QIcon icon READ icon WRITE setIcon DESIGNABLE false)
    Q_PROPERTY(QSize iconSize READ iconSize WRITE setIconSize DESIGNABLE false)
    Q_PROPERTY(bool checkable READ isCheckable WRITE setCheckable DESIGNABLE false)
    Q_PROPERTY(bool checked READ isChecked WRITE setChecked DESIGNABLE false)
    Q_PROPERTY(bool autoExclusive READ autoExclusive WRITE setAutoExclusive DESIGNABLE false)
#if QT_CONFIG(shortcut)
    Q_PROPERTY(QKeySequence shortcut READ shortcut WRITE setShortcut DESIGNABLE false)
#endif

public:
    static constexpr int kMenuItemCount = 20;

    explicit PlinthBtn(QWidget* parent = nullptr);
    ~PlinthBtn() override;

    // Colours are OLE colours (see above).
    QPixmap MouseIcon() const;
    void setMouseIcon(const QPixmap& value);
    MousePointerConstants MousePointer() const;
    void setMousePointer(MousePointerConstants value);
    bool Show() const;
    void setShow(bool value);
    bool Thru() const;
    void setThru(bool value);
    bool AlwaysActive() const;
    void setAlwaysActive(bool value);
    QString CaptionStd() const;
    void setCaptionStd(const QString& value);
    QString CaptionAlt() const;
    void setCaptionAlt(const QString& value);
    QString CaptionAltC() const;
    void setCaptionAltC(const QString& value);
    QString CaptionAltCS() const;
    void setCaptionAltCS(const QString& value);
    QString CaptionAltS() const;
    void setCaptionAltS(const QString& value);
    QString CaptionCtrl() const;
    void setCaptionCtrl(const QString& value);
    QString CaptionCtrlS() const;
    void setCaptionCtrlS(const QString& value);
    QString CaptionShift() const;
    void setCaptionShift(const QString& value);
    uint FocusColor() const;
    void setFocusColor(uint value);
    QString HintText() const;
    void setHintText(const QString& value);
    QString VKeyName() const;
    void setVKeyName(const QString& value);
    int VKeyNo() const;
    void setVKeyNo(int value);
    CaptionModeConstants CaptionMode() const;
    void setCaptionMode(CaptionModeConstants value);
    ButtonStyleConstants ButtonStyle() const;
    void setButtonStyle(ButtonStyleConstants value);
    FocusBorderConstants FocusBorder() const;
    void setFocusBorder(FocusBorderConstants value);
    AlignmentConstants Alignment() const;
    void setAlignment(AlignmentConstants value);
    AlignPictConstants AlignPict() const;
    void setAlignPict(AlignPictConstants value);
    QPixmap Picture() const;
    void setPicture(const QPixmap& value);
    uint BackColor() const;
    void setBackColor(uint value);
    uint ForeColor() const;
    void setForeColor(uint value);
    uint DisabledColor() const;
    void setDisabledColor(uint value);
    uint CaptionPointedColor() const;
    void setCaptionPointedColor(uint value);
    uint BorderColor() const;
    void setBorderColor(uint value);
    uint LightColor() const;
    void setLightColor(uint value);
    uint ShadowColor() const;
    void setShadowColor(uint value);
    int BorderWidth() const;
    void setBorderWidth(int value);
    int InnerBorderWidth() const;
    void setInnerBorderWidth(int value);
    int OuterBorderWidth() const;
    void setOuterBorderWidth(int value);
    bool Outline() const;
    void setOutline(bool value);
    bool RoundedCorners() const;
    void setRoundedCorners(bool value);
    VKeyExConstants VKeyEx() const;
    void setVKeyEx(VKeyExConstants value);
    VKeyACSConstants VKeyAlt() const;
    void setVKeyAlt(VKeyACSConstants value);
    VKeyACSConstants VKeyCtrl() const;
    void setVKeyCtrl(VKeyACSConstants value);
    VKeyACSConstants VKeyShift() const;
    void setVKeyShift(VKeyACSConstants value);
    bool ClickAtEnterKey() const;
    void setClickAtEnterKey(bool value);
    bool ClickAtSpaceKey() const;
    void setClickAtSpaceKey(bool value);
    LostFocusAtArrowConstants LostFocusAtHorzArrow() const;
    void setLostFocusAtHorzArrow(LostFocusAtArrowConstants value);
    LostFocusAtArrowConstants LostFocusAtVertArrow() const;
    void setLostFocusAtVertArrow(LostFocusAtArrowConstants value);
    Font3DConstants Font3D() const;
    void setFont3D(Font3DConstants value);
    bool Toggle() const;
    void setToggle(bool value);
    bool Value() const;
    void setValue(bool value);
    CaptionAlignmentHConstants CaptionAlignmentH() const;
    void setCaptionAlignmentH(CaptionAlignmentHConstants value);
    CaptionAlignmentVConstants CaptionAlignmentV() const;
    void setCaptionAlignmentV(CaptionAlignmentVConstants value);
    CaptionDirectionConstants CaptionDirection() const;
    void setCaptionDirection(CaptionDirectionConstants value);
    CaptionFocusBorderConstants CaptionFocusBorder() const;
    void setCaptionFocusBorder(CaptionFocusBorderConstants value);
    ButtonCaptionConstants CaptionPosition() const;
    void setCaptionPosition(ButtonCaptionConstants value);
    int CaptionRatio() const;
    void setCaptionRatio(int value);
    int CaptionSize() const;
    void setCaptionSize(int value);
    AlignmentHConstants AlignmentH() const;
    void setAlignmentH(AlignmentHConstants value);
    AlignmentVConstants AlignmentV() const;
    void setAlignmentV(AlignmentVConstants value);
    uint CaptionFocusColor() const;
    void setCaptionFocusColor(uint value);
    bool HalfToneColor() const;
    void setHalfToneColor(bool value);
    bool CaptionAccelerator() const;
    void setCaptionAccelerator(bool value);
    bool CaptionMultiLine() const;
    void setCaptionMultiLine(bool value);
    bool CausesFocusMovement() const;
    void setCausesFocusMovement(bool value);
    bool KillClickFocus() const;
    void setKillClickFocus(bool value);
    bool TreatEnterAsTab() const;
    void setTreatEnterAsTab(bool value);
    QPixmap DownPicture() const;
    void setDownPicture(const QPixmap& value);
    QPixmap DisabledPicture() const;
    void setDisabledPicture(const QPixmap& value);
    QPixmap OnPicture() const;
    void setOnPicture(const QPixmap& value);
    uint DownColor() const;
    void setDownColor(uint value);
    uint OnColor() const;
    void setOnColor(uint value);
    OLEDropModeConstants OLEDropMode() const;
    void setOLEDropMode(OLEDropModeConstants value);

    LostFocusCauseConstants LostFocusCause() const;

    // The pop-up menu. Indexes 0 to 19; false (nothing changed) for any other index.
    bool SetMenuItem(int index, const QString& caption, bool enabled, bool hidden, bool separator);
    bool GetMenuItem(int index, QString* caption, bool* enabled, bool* hidden,
                     bool* separator) const;
    QString MenuCaption(int index) const;
    bool MenuEnabled(int index) const;
    bool MenuHidden(int index) const;
    bool MenuSeparator(int index) const;
    bool setMenuCaption(int index, const QString& caption);
    bool setMenuEnabled(int index, bool enabled);
    bool setMenuHidden(int index, bool hidden);
    bool setMenuSeparator(int index, bool separator);

    // The keys VKeyName can name, by index: their virtual-key numbers; -1 past the end.
    static int VKeyList(int index);
    static int vKeyListCount();

    // A picture from encoded bytes (any format Qt reads); false for bytes that are not a
    // picture, and the property keeps its picture. Empty bytes clear it. The bytes are kept
    // as given and saved unchanged.
    bool setPictureData(const char* property, const QByteArray& bytes);
    QByteArray pictureData(const char* property) const;

    // The stored form (format version 0x40000). loadProperties takes versions 2 to 4 and
    // returns 0, or the automation error number of a form it refuses (321 damaged or of an
    // unknown version, 481 a picture that cannot be decoded); the button is then unchanged.
    QByteArray saveProperties() const;
    int loadProperties(const QByteArray& form);

    // While a form designer has the button on its form: a button with Show off is outlined
    // so it can be found.
    void setDesignMode(bool designMode);
    bool designMode() const;

    // The caption on the face now, for the modifier keys held down.
    QString currentCaption() const;
    // An OLE colour as this button draws it.
    QColor resolvedColor(uint oleColor) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    // The events of the form interface. Arguments passed by reference may be changed by a
    // handler connected directly (the default for a handler on the button's thread): a
    // KeyCode or KeyAscii set to 0 swallows the key, Cancel set to true stops the focus
    // movement or the menu, Effect says what a drop does.
    void dblClick();
    void keyDown(int& keyCode, int shift);
    void keyPress(int& keyAscii);
    void keyUp(int& keyCode, int shift);
    void mouseDown(int button, int shift, int x, int y);
    void mouseMove(int button, int shift, int x, int y);
    void mouseUp(int button, int shift, int x, int y);
    void vKeyDown(int vKeyCode, int shift, int oemCode, bool repeat);
    void vKeyUp(int vKeyCode, int shift, int oemCode, bool repeat);
    void focusMove(bool& cancel);
    void oleCompleteDrag(int effect);
    void oleStartDrag(plinth::PlinthDataObject* data, int& allowedEffects);
    void oleGiveFeedback(int& effect, bool& defaultCursors);
    void oleDragOver(plinth::PlinthDataObject* data, int& effect, int& button, int& shift, float& x,
                     float& y, int state);
    void oleDragDrop(plinth::PlinthDataObject* data, int& effect, int& button, int& shift, float& x,
                     float& y);
    void menuClicked(int menuId);
    void beforePopup(bool& cancel);

protected:
    bool event(QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void keyReleaseEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void enterEvent(QEnterEvent* e) override;
    void leaveEvent(QEvent* e) override;
    void changeEvent(QEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool hitButton(const QPoint& pos) const override;

private:
    friend class plinth::PlinthBtnPrivate;
    friend struct plinth::PlinthBtnAccess;
    std::unique_ptr<plinth::PlinthBtnPrivate> d;
};
