#pragma once
// The framework's vocabulary of message boxes and modal windows: modal results,
// the message dialog's types and buttons, and the system message box's flags
// and answers, all with the framework's numbers so callers compare them as-is.
#include <initializer_list>

namespace velta {

// Modal results of windows and message dialogs.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;
inline constexpr int mrAbort = 3;
inline constexpr int mrRetry = 4;
inline constexpr int mrIgnore = 5;
inline constexpr int mrYes = 6;
inline constexpr int mrNo = 7;
inline constexpr int mrAll = 8;
inline constexpr int mrNoToAll = 9;
inline constexpr int mrYesToAll = 10;

enum MsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a message dialog, in the order the dialog shows them.
enum MsgDlgBtn : unsigned {
    mbYes = 1u << 0,
    mbNo = 1u << 1,
    mbOK = 1u << 2,
    mbCancel = 1u << 3,
    mbAbort = 1u << 4,
    mbRetry = 1u << 5,
    mbIgnore = 1u << 6,
    mbAll = 1u << 7,
    mbNoToAll = 1u << 8,
    mbYesToAll = 1u << 9,
    mbHelp = 1u << 10,
};

// A set of message dialog buttons ([mbOK, mbCancel] in the framework).
class MsgDlgButtons {
public:
    constexpr MsgDlgButtons() = default;
    constexpr MsgDlgButtons(MsgDlgBtn button) : bits_(button) {}
    constexpr MsgDlgButtons(std::initializer_list<MsgDlgBtn> buttons)
    {
        for (MsgDlgBtn b : buttons)
            bits_ |= b;
    }
    constexpr bool contains(MsgDlgBtn button) const { return (bits_ & button) != 0; }
    constexpr bool isEmpty() const { return bits_ == 0; }
    constexpr unsigned bits() const { return bits_; }
    constexpr MsgDlgButtons operator|(MsgDlgButtons other) const { return fromBits(bits_ | other.bits_); }
    constexpr bool operator==(const MsgDlgButtons&) const = default;

    static constexpr MsgDlgButtons fromBits(unsigned bits)
    {
        MsgDlgButtons set;
        set.bits_ = bits;
        return set;
    }

private:
    unsigned bits_ = 0;
};

constexpr MsgDlgButtons operator|(MsgDlgBtn a, MsgDlgBtn b) { return MsgDlgButtons(a) | MsgDlgButtons(b); }

inline constexpr MsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
inline constexpr MsgDlgButtons mbOKCancel = mbOK | mbCancel;
inline constexpr MsgDlgButtons mbAbortRetryIgnore = mbAbort | mbRetry | mbIgnore;

// Flags of the system message box (Application.MessageBox): the button set in
// the low four bits, the icon in the next four, the default button above them.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_TYPEMASK = 0xF;

inline constexpr unsigned MB_ICONHAND = 0x10;
inline constexpr unsigned MB_ICONERROR = MB_ICONHAND;
inline constexpr unsigned MB_ICONSTOP = MB_ICONHAND;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONWARNING = MB_ICONEXCLAMATION;
inline constexpr unsigned MB_ICONASTERISK = 0x40;
inline constexpr unsigned MB_ICONINFORMATION = MB_ICONASTERISK;
inline constexpr unsigned MB_ICONMASK = 0xF0;

inline constexpr unsigned MB_DEFBUTTON1 = 0x000;
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFBUTTON4 = 0x300;
inline constexpr unsigned MB_DEFMASK = 0xF00;

// Answers of the system message box; the same numbers as the modal results.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

} // namespace velta
