#pragma once
// The methods of the station server, as the client calls them over the wire
// protocol (WireProtocol.h). Requests are [method, arguments array]; data
// packets travel as byte-array Variants (DataPacket::toBytes). Both the server
// (station/) and the client dataset layer (plugin/data) follow this contract.
//
//   Authenticate  [key: string] -> true
//       First request of a connection when the server requires a key.
//
//   OpenProvider  [provider: string, commandText: string, params: array,
//                  packetRecords: int32] -> [cursor: int32, packet: bytes]
//       Runs the provider's query (its own fixed query, or commandText where
//       the provider takes one). params is an array of [name, value] pairs.
//       packetRecords -1 = all rows, 0 = field definitions only, N = first N rows.
//       The packet carries field definitions (key fields flagged InKey) and its
//       moreRows flag; cursor identifies the open query when rows remain (0 when
//       none remain: the server has closed it).
//
//   FetchRows     [cursor: int32, count: int32] -> packet: bytes
//       The next rows of an open cursor (count -1 = all the rest); the cursor is
//       closed by the server when moreRows is false.
//
//   CloseCursor   [cursor: int32] -> Null
//
//   ApplyUpdates  [[provider: string, commandText: string, delta: bytes], ...]
//                 -> Null
//       Applies the change logs of one or several datasets in one transaction:
//       all or nothing. Each delta is a DataPacket whose change log holds the
//       edits; rows are found by the provider's key fields. A failure rolls
//       everything back and raises EDatabaseError with the database's message.
//
//   Execute       [provider: string, commandText: string, params: array] -> int32
//       Runs a statement that returns no rows; the answer is the rows affected.
//
//   GetAZSConfig  [] -> array (element 3: the dispensers, each an array whose
//                 element 0 is its name)
//   GetNewContragentNumber [] -> int32
//   GetReportEx   [reportNo: int32, params(, workplace: string)] -> string
//       The report engine: the text of report reportNo (0-255) for the
//       parameter array params. Report 35 [1000, X], [2, SQL, base],
//       [17, Fn, Args] and [14] are service functions (hex data packet, typed
//       variant text of VariantText.h, "OK"); report 55 answers the HTML rendering of
//       the last report (see GetReport). The rendering of a report made here
//       is also kept for the workplace named by the optional third argument
//       (clients that name none share one place), because the plug-in makes
//       remote reports over a new connection each time and asks for report
//       55 through the host's connection afterwards.
//
//   GetReport     [reportNo: int32, params(, workplace: string)] -> string
//       The host's report function: the same engine, but the rendering of a
//       report made here is kept for this connection only. Report 55 answers
//       the newer of the connection's last report and the named workplace's
//       last GetReportEx report; an empty text when there is none or the
//       last report failed. Reports 35 (service selectors) and 55 themselves
//       change nothing of it.
#include <QString>

namespace velta::station {

inline constexpr char kAuthenticate[] = "Authenticate";
inline constexpr char kOpenProvider[] = "OpenProvider";
inline constexpr char kFetchRows[] = "FetchRows";
inline constexpr char kCloseCursor[] = "CloseCursor";
inline constexpr char kApplyUpdates[] = "ApplyUpdates";
inline constexpr char kExecute[] = "Execute";
inline constexpr char kGetAZSConfig[] = "GetAZSConfig";
inline constexpr char kGetNewContragentNumber[] = "GetNewContragentNumber";
inline constexpr char kGetReportEx[] = "GetReportEx";
inline constexpr char kGetReport[] = "GetReport";

// The default port (VELTA_STATION_PORT overrides it on the client side).
inline constexpr int kDefaultPort = 5770;

} // namespace velta::station
