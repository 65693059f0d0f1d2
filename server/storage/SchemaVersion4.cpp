#include "SchemaVersion4.h"

namespace ciap::server {

// Accounts and cost centres belong to the installation, as the chart of accounts they come
// from does; assets name them by code and keep their codes even where the table does not know
// them yet, so the tax file's validator, not a foreign key, tells the user what to register.
QStringList SchemaVersion4::statements() {
    return {
        QStringLiteral("CREATE TABLE CONTACONTABIL ("
                       " CDCONTA VARCHAR(60) NOT NULL PRIMARY KEY,"
                       " NMCONTA VARCHAR(60) NOT NULL,"
                       " CDNATUREZA VARCHAR(2) NOT NULL DEFAULT '01',"
                       " IDTPCONTA VARCHAR(1) NOT NULL DEFAULT 'A' CHECK (IDTPCONTA IN ('S', 'A')),"
                       " NRNIVEL INTEGER NOT NULL DEFAULT 1 CHECK (NRNIVEL BETWEEN 1 AND 99999),"
                       " DTALTERACAO DATE NOT NULL)"),
        QStringLiteral("CREATE TABLE CENTROCUSTO ("
                       " CDCCUSTO VARCHAR(60) NOT NULL PRIMARY KEY,"
                       " NMCCUSTO VARCHAR(60) NOT NULL,"
                       " DTALTERACAO DATE NOT NULL)"),
        // What an asset of the registration takes when it has none of its own, and the
        // establishment's profile (A, B, C) and activity (0 industrial, 1 other) in 0000.
        QStringLiteral("ALTER TABLE INSCESTA ADD COLUMN CDCONTAPADRAO VARCHAR(60)"),
        QStringLiteral("ALTER TABLE INSCESTA ADD COLUMN CDCCUSTOPADRAO VARCHAR(60)"),
        QStringLiteral("ALTER TABLE INSCESTA ADD COLUMN IDPERFILEFD VARCHAR(1) NOT NULL DEFAULT "
                       "'A' CHECK (IDPERFILEFD IN ('A', 'B', 'C'))"),
        QStringLiteral("ALTER TABLE INSCESTA ADD COLUMN IDATIVIDADEEFD VARCHAR(1) NOT NULL "
                       "DEFAULT '1' CHECK (IDATIVIDADEEFD IN ('0', '1'))"),
        // How the asset entered the CIAP (EFD G125 TIPO_MOV of its first month): null for what
        // its type says (an asset bought, IM; a component, IA), MC from the company's stock,
        // CI the asset its components were built into.
        QStringLiteral("ALTER TABLE BEMATIVO ADD COLUMN IDORIGEM VARCHAR(2) CHECK (IDORIGEM IN "
                       "('IM', 'MC', 'IA', 'CI'))"),
    };
}

} // namespace ciap::server
