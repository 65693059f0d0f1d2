#include "HostServices.h"
#include "ScreenFixture.h"
#include "TMessages.h"
#include "TfrmCIAP.h"

#include <QSet>
#include <QTest>

// The screen's message catalogue: every key with its text exactly, trailing blanks included,
// in its order.
class tst_Catalogue : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void catalogue_data();
    void catalogue();
    void catalogueOrder();

private:
    ScreenFixture m_fx;
};

void tst_Catalogue::initTestCase() {
    QVERIFY2(m_fx.start(ScreenFixture::Window::Hidden), qPrintable(m_fx.error));
}

void tst_Catalogue::cleanupTestCase() {
    m_fx.stop();
}

void tst_Catalogue::catalogue_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("text");
    const QList<QPair<const char*, const char*>> entries = {
        {"Excl", "Confirma exclusão?"},
        {"EMPRESA_INF", "Empresa deve ser informada."},
        {"EMPRESA_N_CAD", "Empresa não cadastrada."},
        {"IMPOSTO_INF", "Imposto deve ser informado."},
        {"IMPOSTO_N_CAD", "Imposto não cadastrado."},
        {"DTINI_INF", "Data inicial deve ser informada."},
        {"DTFIN_INF", "Data final deve ser informada."},
        {"DTINI_MENOR", "Data inicial deve ser menor ou igual a data final."},
        {"PENDENTE", "Pendente"},
        {"APROPRIADO", "Apropriado"},
        {"N_BENSCOMP_CAD", "Não existem Bens para Competência, Imposto e/ou Empresa informados. "},
        {"COMPET_INF", "Competência deve ser informada."},
        {"COMP_CAD", "Competência já cadastrada para Imposto e Empresa informados."},
        {"COMPT_N_IN", "Competência cadastrada não está dentro do intervalo informado no filtro. "
                       "Favor informar um intervalo correspondente para poder visualizar."},
        {"BEM", "Bem Ativo"},
        {"N_BEM_CAD", "Não existem Bens parcelados na competência informada."},
        {"BEM_INF", "Bem deve ser informado."},
        {"BEM_JA_CAD", "Bem já cadastrado para Empresa, Imposto e Competência informados. "},
        {"BEM_N_PAR", "Bem não possui parcela na competência informada."},
        {"VR_TOT_INF", "Valor total de saídas deve ser informado."},
        {"VR_TRIB_INF", "Valor de saídas tributadas deve ser informado."},
        {"TOTAL_NULO", "Não há saídas de Notas Fiscais para competência informada"},
        {"RECALC", "Deseja recalcular os valores de Total de Saídas, Total de Saídas Tributadas e "
                   "Coeficiente?"},
        {"RECARREGA_BEM", "Deseja recarregar os Bens da competência informada. "},
        {"CARR_BEM", "Carregar Bens Parcelados"},
        {"CALC_COEF", "Calcular Coeficiente"},
        {"VR_DEVSER", "Valor total de saídas deve ser maior ou igual ao valor de saídas "
                      "tributadas."},
        {"OKAY", "Operação concluída com sucesso."},
        {"INSC_ESTA", "inscrição Estadual"},
        {"N_INSCESTA_CAD", "Não há Incrição Estadual cadastrada"},
        {"INSC_EST_INV", "Inscrição Estadual não cadastrada"},
        {"INSCESTA_INF", "Inscrição Estadual deve ser informada."},
        {"OPER_OK", "Competência cancelada com sucesso"},
        {"Cancelar_APROPRIACAO", "Confirmar cancelamento da Apropriação?"},
        {"APROPRIAR", "Confirmar apropriação?"},
        {"N_PARCELAS", "Não há parcelas para a competência informada."},
        {"N_DATA_VALID", "'%s' Não é uma data válida."},
    };
    QCOMPARE(entries.size(), 37);
    for (const auto& e : entries)
        QTest::newRow(e.first) << QString::fromUtf8(e.first) << QString::fromUtf8(e.second);
}

void tst_Catalogue::catalogue() {
    QFETCH(QString, key);
    QFETCH(QString, text);
    QCOMPARE(m_fx.form->msgPadrao->Msg(key), text);
}

void tst_Catalogue::catalogueOrder() {
    const QStringList lines = m_fx.form->msgPadrao->Lines;
    QCOMPARE(lines.size(), 37);
    QCOMPARE(lines.first(), QStringLiteral("Excl|Confirma exclusão?"));
    QCOMPARE(lines.at(10).section(QLatin1Char('|'), 0, 0), QStringLiteral("N_BENSCOMP_CAD"));
    QCOMPARE(lines.last(), QStringLiteral("N_DATA_VALID|'%s' Não é uma data válida."));
    // Keys are case-sensitive and unique.
    QSet<QString> keys;
    for (const QString& line : lines)
        keys.insert(line.section(QLatin1Char('|'), 0, 0));
    QCOMPARE(keys.size(), 37);
    QVERIFY(!m_fx.form->msgPadrao->Contains(QStringLiteral("EXCL")));
}

QTEST_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"
