#include "TMessages.h"
#include "TfrmCIAP.h"

// Every text the screen shows is taken from here by key. Texts stand exactly as the users know
// them, trailing blanks included.
void TfrmCIAP::loadCatalogue() {
    msgPadrao->Lines = QStringList{
        QStringLiteral("Excl|Confirma exclusão?"),
        QStringLiteral("EMPRESA_INF|Empresa deve ser informada."),
        QStringLiteral("EMPRESA_N_CAD|Empresa não cadastrada."),
        QStringLiteral("IMPOSTO_INF|Imposto deve ser informado."),
        QStringLiteral("IMPOSTO_N_CAD|Imposto não cadastrado."),
        QStringLiteral("DTINI_INF|Data inicial deve ser informada."),
        QStringLiteral("DTFIN_INF|Data final deve ser informada."),
        QStringLiteral("DTINI_MENOR|Data inicial deve ser menor ou igual a data final."),
        QStringLiteral("PENDENTE|Pendente"),
        QStringLiteral("APROPRIADO|Apropriado"),
        QStringLiteral("N_BENSCOMP_CAD|Não existem Bens para Competência, Imposto e/ou Empresa "
                       "informados. "),
        QStringLiteral("COMPET_INF|Competência deve ser informada."),
        QStringLiteral("COMP_CAD|Competência já cadastrada para Imposto e Empresa informados."),
        QStringLiteral("COMPT_N_IN|Competência cadastrada não está dentro do intervalo informado "
                       "no filtro. Favor informar um intervalo correspondente para poder "
                       "visualizar."),
        QStringLiteral("BEM|Bem Ativo"),
        QStringLiteral("N_BEM_CAD|Não existem Bens parcelados na competência informada."),
        QStringLiteral("BEM_INF|Bem deve ser informado."),
        QStringLiteral("BEM_JA_CAD|Bem já cadastrado para Empresa, Imposto e Competência "
                       "informados. "),
        QStringLiteral("BEM_N_PAR|Bem não possui parcela na competência informada."),
        QStringLiteral("VR_TOT_INF|Valor total de saídas deve ser informado."),
        QStringLiteral("VR_TRIB_INF|Valor de saídas tributadas deve ser informado."),
        QStringLiteral("TOTAL_NULO|Não há saídas de Notas Fiscais para competência informada"),
        QStringLiteral("RECALC|Deseja recalcular os valores de Total de Saídas, Total de Saídas "
                       "Tributadas e Coeficiente?"),
        QStringLiteral("RECARREGA_BEM|Deseja recarregar os Bens da competência informada. "),
        QStringLiteral("CARR_BEM|Carregar Bens Parcelados"),
        QStringLiteral("CALC_COEF|Calcular Coeficiente"),
        QStringLiteral("VR_DEVSER|Valor total de saídas deve ser maior ou igual ao valor de saídas "
                       "tributadas."),
        QStringLiteral("OKAY|Operação concluída com sucesso."),
        QStringLiteral("INSC_ESTA|inscrição Estadual"),
        QStringLiteral("N_INSCESTA_CAD|Não há Incrição Estadual cadastrada"),
        QStringLiteral("INSC_EST_INV|Inscrição Estadual não cadastrada"),
        QStringLiteral("INSCESTA_INF|Inscrição Estadual deve ser informada."),
        QStringLiteral("OPER_OK|Competência cancelada com sucesso"),
        QStringLiteral("Cancelar_APROPRIACAO|Confirmar cancelamento da Apropriação?"),
        QStringLiteral("APROPRIAR|Confirmar apropriação?"),
        QStringLiteral("N_PARCELAS|Não há parcelas para a competência informada."),
        QStringLiteral("N_DATA_VALID|'%s' Não é uma data válida."),
    };
}
