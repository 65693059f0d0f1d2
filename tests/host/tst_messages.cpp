#include "TMessages.h"

#include <QTest>

class TestMessages : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void msg_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "Excl"
                               << "Confirma exclusão?";
        QTest::newRow("trailing blank kept")
            << "BEM_JA_CAD"
            << "Bem já cadastrado para Empresa, Imposto e Competência informados. ";
        QTest::newRow("bar inside the text") << "TITULO"
                                             << "inscrição Estadual|Não há";
        QTest::newRow("format string") << "N_DATA_VALID"
                                       << "'%s' Não é uma data válida.";
        QTest::newRow("empty text") << "VAZIO"
                                    << "";
        QTest::newRow("first of duplicates") << "DUP"
                                             << "primeiro";
        QTest::newRow("case matters") << "cancelar_apropriacao"
                                      << "Mensagem não encontrada: cancelar_apropriacao";
        QTest::newRow("prefix of a key") << "Exc"
                                         << "Mensagem não encontrada: Exc";
        QTest::newRow("unknown") << "NAO_EXISTE"
                                 << "Mensagem não encontrada: NAO_EXISTE";
        QTest::newRow("line without bar is no entry") << "SEM BARRA"
                                                      << "Mensagem não encontrada: SEM BARRA";
    }
    void msg() {
        QFETCH(QString, key);
        QFETCH(QString, expected);
        TMessages messages;
        messages.Lines = QStringList{
            QStringLiteral("Excl|Confirma exclusão?"),
            QStringLiteral("Exclusao|outra"),
            QStringLiteral("BEM_JA_CAD|Bem já cadastrado para Empresa, Imposto e Competência "
                           "informados. "),
            QStringLiteral("TITULO|inscrição Estadual|Não há"),
            QStringLiteral("Cancelar_APROPRIACAO|Confirmar cancelamento da Apropriação?"),
            QStringLiteral("VAZIO|"),
            QStringLiteral("SEM BARRA"),
            QStringLiteral("DUP|primeiro"),
            QStringLiteral("DUP|segundo"),
        };
        messages.Add(QStringLiteral("N_DATA_VALID"), QStringLiteral("'%s' Não é uma data válida."));
        QCOMPARE(messages.Msg(key), expected);
        QCOMPARE(messages.Contains(key), !expected.startsWith(QStringLiteral("Mensagem não")));
    }

    void emptyCatalogue() {
        TMessages messages;
        QCOMPARE(messages.Msg(QString()), QStringLiteral("Mensagem não encontrada: "));
        messages.Add(QString(), QStringLiteral("sem chave"));
        QCOMPARE(messages.Msg(QString()), QStringLiteral("sem chave"));
    }
};

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
