#pragma once
// TtnContragents: the six contragent references of a consignment note, with
// their header columns and their keys among the note defaults. A reference
// below 1 means none.
#include <span>

namespace velta::consignment {

struct TtnContragents {
    int Go = 0;     // consignor
    int Gp = 0;     // consignee
    int Plat = 0;   // payer
    int Per = 0;    // carrier
    int TNPost = 0; // goods waybill supplier
    int TNPlat = 0; // goods waybill payer

    friend bool operator==(const TtnContragents&, const TtnContragents&) = default;
};

struct TtnContragentSlot {
    int TtnContragents::*member;
    const char* column;  // TTN column
    const char* iniKey;  // key of cnf.ini section "TTN"
    bool noneAsNull;     // a reference below 1 is stored as NULL
};

std::span<const TtnContragentSlot> ttnContragentSlots();

} // namespace velta::consignment
