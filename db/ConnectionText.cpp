#include "db/ConnectionText.h"

namespace {
const char* const kDefaultDatabase = "vestra_erp";
const char* const kDefaultServer = "localhost";
}

QString connectionText(const QString& database, const QString& server)
{
    return QStringLiteral("DRIVER={PostgreSQL UNICODE};DATABASE=") + database
        + QStringLiteral(";SERVER=") + server
        + QStringLiteral(";PORT=5432;UID=sys;PWD=vumbrex;SSLmode=allow;")
        + QStringLiteral("ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;"
                         "Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;")
        + QStringLiteral("Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;"
                         "Parse=0;ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;")
        + QStringLiteral("TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;"
                         "D6=-101;OptionalErrors=0;XaOpt=1");
}

QString defaultConnectionText()
{
    return connectionText(QLatin1String(kDefaultDatabase), QLatin1String(kDefaultServer));
}

QString connectionTextForArguments(const QString& database, const QString& server)
{
    if (server.isEmpty())
        return defaultConnectionText();
    return connectionText(database, server);
}
