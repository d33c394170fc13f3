#pragma once
// The roles a contragent plays (CONTRAGENTTYPE.CTYPE), the bit each has in
// the role mask the edit window and the DBF exchange work with, the caption
// of its group in the directory, and the conversion between the mask with its
// chosen payment types and the role rows kept in the database.
#include <QList>
#include <QString>

namespace velta::directories {

// CTYPE values.
inline constexpr int kRoleNone = 0;
inline constexpr int kRolePayType = 1;
inline constexpr int kRoleFuelSupplier = 2;
inline constexpr int kRoleFuelConsignee = 3;
inline constexpr int kRoleFuelCarrier = 4;
inline constexpr int kRoleTransportPayer = 5;
inline constexpr int kRoleFuelKeeper = 6;
inline constexpr int kRoleGoodsMaker = 101;
inline constexpr int kRoleGoodsSupplier = 102;
inline constexpr int kRoleGoodsBuyer = 103;

// Mask values of the bits that are not a role of their own.
inline constexpr int kMaskPayType = 1 << 1;
inline constexpr int kMaskRegional = 1 << 8;

// A role with a group of its own, in the order of the group list.
struct ContragentRole {
    int ctype;
    int bit; // its bit in the role mask
    QString caption;
};
const QList<ContragentRole>& ContragentRoles();

inline constexpr int maskOf(int bit) { return 1 << bit; }
// The mask value of a role (the payment type role included); 0 for none.
int RoleMask(int ctype);
// The group caption of a role: "Все контрагенты" for none, "Для видов оплаты:" for 1.
QString RoleGroupCaption(int ctype);

// One CONTRAGENTTYPE row without its contragent.
struct RoleRow {
    int ctype = 0;
    int param1 = 0;
    friend bool operator==(const RoleRow&, const RoleRow&) = default;
};

// A contragent's roles as the edit window shows them.
struct ContragentRoleSet {
    int mask = 0;
    QList<int> payTypes; // chosen payment type ids
    friend bool operator==(const ContragentRoleSet&, const ContragentRoleSet&) = default;
};

// The mask and payment types that role rows give.
ContragentRoleSet RoleSetOfRows(const QList<RoleRow>& rows);
// The role rows to keep for a mask and its payment types: the roles in group
// order (101 with PARAM1 1 when regional), then one row 1 per payment type.
QList<RoleRow> RoleRowsOf(const ContragentRoleSet& roles);

} // namespace velta::directories
