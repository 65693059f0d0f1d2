#include "SchemaVersion3.h"

namespace ciap::server {

// Every column added to an existing table may be null or has a default, so that the rows of
// version 2 stay as they were; what they lack the register lists for the user to complete.
// Amounts of the new tables are whole cents and quantities hundred-thousandths (BIGINT),
// never binary floating point.
QStringList SchemaVersion3::statements() {
    const QString yesNo =
        QStringLiteral("VARCHAR(1) NOT NULL DEFAULT 'N' CHECK (%1 IN ('S', 'N'))");
    return {
        // A registration is matched to documents by its CNPJ and state registration.
        QStringLiteral("ALTER TABLE INSCESTA ADD COLUMN NRCNPJ VARCHAR(14)"),
        QStringLiteral("ALTER TABLE INSCESTA ADD COLUMN CDMUNICIPIO VARCHAR(7)"),
        QStringLiteral("ALTER TABLE UFCIAP ADD COLUMN NRPARCELAS INTEGER NOT NULL DEFAULT 48"
                       " CHECK (NRPARCELAS BETWEEN 1 AND 999)"),
        QStringLiteral("ALTER TABLE NFSAIDA ADD COLUMN CDPARTICIPANTE VARCHAR(60)"),

        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN IDTPBEM VARCHAR(1) NOT NULL DEFAULT '1'"
                       " CHECK (IDTPBEM IN ('1', '2'))"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN CDBEMPRINCIPAL VARCHAR(10)"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN CDCONTA VARCHAR(60)"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN CDCCUSTO VARCHAR(60)"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN DSFUNCAO VARCHAR(200)"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN NRVIDAUTIL INTEGER"
                       " CHECK (NRVIDAUTIL BETWEEN 1 AND 999)"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN CDITEM VARCHAR(60)"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN CDUNIDADE VARCHAR(6)"),
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN IDDIFALPENDENTE ") +
            yesNo.arg(QStringLiteral("IDDIFALPENDENTE")),
        // Asset codes come from a counter, so that a deleted asset's code is never given again.
        QStringLiteral("CREATE TABLE BEMSEQ ("
                       " CDEMPRESA VARCHAR(2) NOT NULL PRIMARY KEY REFERENCES EMPRESA (CDEMPRESA),"
                       " NRULTBEM BIGINT NOT NULL)"),

        QStringLiteral("CREATE TABLE PARTICIPANTE ("
                       " CDEMPRESA VARCHAR(2) NOT NULL REFERENCES EMPRESA (CDEMPRESA),"
                       " CDPARTICIPANTE VARCHAR(60) NOT NULL,"
                       " NMPARTICIPANTE VARCHAR(100) NOT NULL,"
                       " NRCNPJ VARCHAR(14),"
                       " NRCPF VARCHAR(11),"
                       " NRIE VARCHAR(14),"
                       " CDPAIS VARCHAR(5),"
                       " CDMUNICIPIO VARCHAR(7),"
                       " NMMUNICIPIO VARCHAR(60),"
                       " SGUF VARCHAR(2),"
                       " DSENDERECO VARCHAR(60),"
                       " NRENDERECO VARCHAR(60),"
                       " DSCOMPLEMENTO VARCHAR(60),"
                       " NMBAIRRO VARCHAR(60),"
                       " DTREFERENCIA DATE NOT NULL,"
                       " PRIMARY KEY (CDEMPRESA, CDPARTICIPANTE))"),

        // An asset's entry document ('E') and exit document ('S') with the item applied to it.
        QStringLiteral("CREATE TABLE BEMDOCUMENTO ("
                       " CDEMPRESA VARCHAR(2) NOT NULL,"
                       " CDBEMATIVO VARCHAR(10) NOT NULL,"
                       " IDMOVIMENTO VARCHAR(1) NOT NULL CHECK (IDMOVIMENTO IN ('E', 'S')),"
                       " IDEMITENTE VARCHAR(1) NOT NULL CHECK (IDEMITENTE IN ('0', '1')),"
                       " CDPARTICIPANTE VARCHAR(60),"
                       " CDMODELO VARCHAR(2),"
                       " NRSERIE VARCHAR(3),"
                       " NRDOCUMENTO VARCHAR(9),"
                       " CHDOCUMENTO VARCHAR(44),"
                       " DTDOCUMENTO DATE,"
                       " NRDOCARRECADACAO VARCHAR(60),"
                       " NRITEM INTEGER,"
                       " CDPRODUTO VARCHAR(60),"
                       " DSPRODUTO VARCHAR(120),"
                       " QTAPLICADA BIGINT,"
                       " PRIMARY KEY (CDEMPRESA, CDBEMATIVO, IDMOVIMENTO),"
                       " FOREIGN KEY (CDEMPRESA, CDBEMATIVO) REFERENCES BEMATIVO (CDEMPRESA, "
                       "CDBEMATIVO) ON DELETE CASCADE)"),
        QStringLiteral("CREATE INDEX BEMDOCUMENTO_CHAVE ON BEMDOCUMENTO (CHDOCUMENTO, NRITEM)"),

        // Every document read, by its key (an event by its Id): the same file twice changes
        // nothing.
        QStringLiteral("CREATE TABLE DOCIMPORTADO ("
                       " CHDOCUMENTO VARCHAR(60) NOT NULL PRIMARY KEY,"
                       " TPDOCUMENTO VARCHAR(3) NOT NULL CHECK (TPDOCUMENTO IN ('NFE', 'CTE', "
                       "'EVT')),"
                       " NMARQUIVO VARCHAR(400) NOT NULL DEFAULT '',"
                       " DTIMPORTACAO TIMESTAMP NOT NULL)"),

        // Purchases kept whole, so that their items can become assets later.
        QStringLiteral("CREATE TABLE NFENTRADA ("
                       " CHNFE VARCHAR(44) NOT NULL PRIMARY KEY,"
                       " CDEMPRESA VARCHAR(2) NOT NULL,"
                       " CDINSCESTA VARCHAR(16) NOT NULL,"
                       " IDEMITENTE VARCHAR(1) NOT NULL CHECK (IDEMITENTE IN ('0', '1')),"
                       " CDPARTICIPANTE VARCHAR(60),"
                       " CDMODELO VARCHAR(2) NOT NULL,"
                       " NRSERIE VARCHAR(3) NOT NULL,"
                       " NRDOCUMENTO VARCHAR(9) NOT NULL,"
                       " DTEMISSAO DATE NOT NULL,"
                       " DTENTRADA DATE NOT NULL,"
                       " SGUFEMITENTE VARCHAR(2),"
                       " IDINTERESTADUAL ") +
            yesNo.arg(QStringLiteral("IDINTERESTADUAL")) + QStringLiteral(",") +
            QStringLiteral(" IDCANCELADA ") + yesNo.arg(QStringLiteral("IDCANCELADA")) +
            QStringLiteral(","
                           " FOREIGN KEY (CDEMPRESA, CDINSCESTA) REFERENCES INSCESTA (CDEMPRESA, "
                           "CDINSCESTA))"),
        QStringLiteral("CREATE INDEX NFENTRADA_INSCRICAO ON NFENTRADA (CDEMPRESA, CDINSCESTA, "
                       "DTENTRADA)"),
        QStringLiteral("CREATE TABLE NFENTRADAITEM ("
                       " CHNFE VARCHAR(44) NOT NULL REFERENCES NFENTRADA (CHNFE) ON DELETE "
                       "CASCADE,"
                       " NRITEM INTEGER NOT NULL CHECK (NRITEM >= 1),"
                       " CDPRODUTO VARCHAR(60) NOT NULL,"
                       " DSPRODUTO VARCHAR(120) NOT NULL,"
                       " CDNCM VARCHAR(8),"
                       " CDCFOP VARCHAR(4) NOT NULL,"
                       " CDUNIDADE VARCHAR(6) NOT NULL,"
                       " QTITEM BIGINT NOT NULL,"
                       " VRPRODUTOCENT BIGINT NOT NULL,"
                       " VRICMSCENT BIGINT NOT NULL DEFAULT 0,"
                       " VRICMSSTCENT BIGINT NOT NULL DEFAULT 0,"
                       " VRICMSFRETECENT BIGINT NOT NULL DEFAULT 0,"
                       " IDBEM ") +
            yesNo.arg(QStringLiteral("IDBEM")) + QStringLiteral(", PRIMARY KEY (CHNFE, NRITEM))"),

        // Freight the company took, and the NF-e each CT-e carried: whichever file comes
        // first, the freight's ICMS meets the items.
        QStringLiteral("CREATE TABLE CTE ("
                       " CHCTE VARCHAR(44) NOT NULL PRIMARY KEY,"
                       " CDEMPRESA VARCHAR(2) NOT NULL,"
                       " CDINSCESTA VARCHAR(16) NOT NULL,"
                       " CDPARTICIPANTE VARCHAR(60),"
                       " NRSERIE VARCHAR(3) NOT NULL,"
                       " NRDOCUMENTO VARCHAR(9) NOT NULL,"
                       " DTEMISSAO DATE NOT NULL,"
                       " VRPRESTACAOCENT BIGINT NOT NULL,"
                       " VRICMSCENT BIGINT NOT NULL,"
                       " FOREIGN KEY (CDEMPRESA, CDINSCESTA) REFERENCES INSCESTA (CDEMPRESA, "
                       "CDINSCESTA))"),
        QStringLiteral("CREATE TABLE CTENFE ("
                       " CHCTE VARCHAR(44) NOT NULL REFERENCES CTE (CHCTE) ON DELETE CASCADE,"
                       " CHNFE VARCHAR(44) NOT NULL,"
                       " PRIMARY KEY (CHCTE, CHNFE))"),
        QStringLiteral("CREATE INDEX CTENFE_NFE ON CTENFE (CHNFE)"),

        // Cancellations, whichever file comes first: kept until their NF-e arrives.
        QStringLiteral("CREATE TABLE NFECANCELADA ("
                       " CHNFE VARCHAR(44) NOT NULL PRIMARY KEY,"
                       " DTCANCELAMENTO DATE NOT NULL,"
                       " NRPROTOCOLO VARCHAR(15) NOT NULL DEFAULT '')"),

        // Outgoing items with an asset-exit CFOP that name no asset clearly.
        QStringLiteral("CREATE TABLE SAIDAPENDENTE ("
                       " CDEMPRESA VARCHAR(2) NOT NULL,"
                       " CDINSCESTA VARCHAR(16) NOT NULL,"
                       " CHNFE VARCHAR(44) NOT NULL,"
                       " NRITEM INTEGER NOT NULL,"
                       " CDCFOP VARCHAR(4) NOT NULL,"
                       " CDPRODUTO VARCHAR(60) NOT NULL,"
                       " DSPRODUTO VARCHAR(120) NOT NULL,"
                       " QTITEM BIGINT NOT NULL,"
                       " DTSAIDA DATE NOT NULL,"
                       " DSMOTIVO VARCHAR(400) NOT NULL,"
                       " DSCANDIDATOS VARCHAR(400) NOT NULL DEFAULT '',"
                       " PRIMARY KEY (CHNFE, NRITEM),"
                       " FOREIGN KEY (CDEMPRESA, CDINSCESTA) REFERENCES INSCESTA (CDEMPRESA, "
                       "CDINSCESTA))"),
    };
}

} // namespace ciap::server
