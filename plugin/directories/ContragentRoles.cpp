#include "plugin/directories/ContragentRoles.h"

namespace velta::directories {

const QList<ContragentRole>& ContragentRoles()
{
    static const QList<ContragentRole> roles = {
        {kRoleFuelSupplier, 2, QStringLiteral("Поставщики ГСМ")},
        {kRoleFuelConsignee, 3, QStringLiteral("Получатели ГСМ")},
        {kRoleFuelCarrier, 4, QStringLiteral("Перевозчики ГСМ")},
        {kRoleTransportPayer, 5, QStringLiteral("Плательщики за перевозку ГСМ")},
        {kRoleFuelKeeper, 6, QStringLiteral("Хранители ГСМ")},
        {kRoleGoodsMaker, 7, QStringLiteral("Производители товара")},
        {kRoleGoodsSupplier, 9, QStringLiteral("Поставщики товара")},
        {kRoleGoodsBuyer, 10, QStringLiteral("Покупатели товара")},
    };
    return roles;
}

int RoleMask(int ctype)
{
    if (ctype == kRolePayType)
        return kMaskPayType;
    for (const ContragentRole& role : ContragentRoles())
        if (role.ctype == ctype)
            return maskOf(role.bit);
    return 0;
}

QString RoleGroupCaption(int ctype)
{
    if (ctype == kRolePayType)
        return QStringLiteral("Для видов оплаты:");
    for (const ContragentRole& role : ContragentRoles())
        if (role.ctype == ctype)
            return role.caption;
    return QStringLiteral("Все контрагенты");
}

ContragentRoleSet RoleSetOfRows(const QList<RoleRow>& rows)
{
    ContragentRoleSet set;
    for (const RoleRow& row : rows) {
        if (row.ctype == kRolePayType) {
            set.mask |= kMaskPayType;
            set.payTypes << row.param1;
            continue;
        }
        set.mask |= RoleMask(row.ctype);
        if (row.ctype == kRoleGoodsMaker && row.param1 == 1)
            set.mask |= kMaskRegional;
    }
    return set;
}

QList<RoleRow> RoleRowsOf(const ContragentRoleSet& roles)
{
    QList<RoleRow> rows;
    for (const ContragentRole& role : ContragentRoles()) {
        if (!(roles.mask & maskOf(role.bit)))
            continue;
        const bool regional = role.ctype == kRoleGoodsMaker && (roles.mask & kMaskRegional);
        rows << RoleRow{role.ctype, regional ? 1 : 0};
    }
    for (int id : roles.payTypes)
        if (!rows.contains(RoleRow{kRolePayType, id}))
            rows << RoleRow{kRolePayType, id};
    return rows;
}

} // namespace velta::directories
