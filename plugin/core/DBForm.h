#pragma once
// TDBFrm: the plug-in's one data module. It holds the connection to the
// station's application server and declares the client datasets (providers,
// persistent fields, display handlers) and data sources the windows use; the
// windows open, filter and close them. It also runs ad-hoc SQL (OpenSQL) and
// checks scanned document types before they are posted.
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DCOMConnection.h"
#include "plugin/data/DataSource.h"

#include <QObject>
#include <QString>
#include <memory>

namespace velta::core {

class TDBFrm : public QObject {
    Q_OBJECT
public:
    explicit TDBFrm(QObject* parent = nullptr);
    ~TDBFrm() override;
    TDBFrm(const TDBFrm&) = delete;
    TDBFrm& operator=(const TDBFrm&) = delete;

    // Opens and frees a throw-away dataset on "DSPRepDBConnect" so the server
    // attaches its database; every error is dropped.
    void DBConnect();
    // A new open dataset with the rows of the SQL text (through
    // "DSPRepCustomSQL"); the caller owns it. A failure to open passes on.
    std::unique_ptr<TClientDataSet> OpenSQL(const QString& sql);

    // Event handlers, public so that tests and windows can run them as the
    // framework does.
    void VeltaServerBeforeConnect(TDCOMConnection& sender);
    void dsAllLogTranLITERGetText(TField& sender, QString& text, bool displayText);
    void dsAllLogTranSUMMAGetText(TField& sender, QString& text, bool displayText);
    void dsScanDocTypesBeforePost(TClientDataSet& dataSet);

    // The connection; declared first so it outlives every dataset using it.
    TDCOMConnection VeltaServer;

    // Datasets of the server's providers.
    TClientDataSet SmLogtable;
    TClientDataSet PrxTable;
    TClientDataSet cdsTrkList;
    TClientDataSet cdsAutoList;
    TClientDataSet TrkLog;
    TClientDataSet dsTTNList;
    TClientDataSet dsTTNDetail;
    TClientDataSet dsTTNID;
    TClientDataSet dsLogTran;
    TClientDataSet dsAllLogTran;
    TClientDataSet dsScanDoc;
    TClientDataSet dsScanDocTypes;

    // Local datasets of the statement reports, filled from data packets.
    TClientDataSet VDCnt;
    TClientDataSet VDCar;
    TClientDataSet VDDriver;

    // Data sources; declared after the datasets so they go first.
    TDataSource SmLogSource;
    TDataSource TrkLogSource;
    TDataSource CntDS;
    TDataSource CarDS;
    TDataSource TTNListSource;
    TDataSource LogTranSource;
    TDataSource AllLogTranSource;
    TDataSource ScanDocSource;
    TDataSource ScanDocTypesSource;

private:
    void setUpConnection();
    void setUpRemote(TClientDataSet& dataSet, const char* name, const char* provider, bool readOnly,
                     int packetRecords, const QString& commandText = QString());
    void setUpPrxTable();
    void setUpTrkLog();
    void setUpSmLogtable();
    void setUpAllLogTran();
    void setUpScanDoc();
    void setUpScanDocTypes();
    void setUpLocal();
    void setUpSources();
};

} // namespace velta::core
