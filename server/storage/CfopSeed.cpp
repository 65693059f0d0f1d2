#include "CfopSeed.h"

#include <QStringList>

namespace ciap::server {

namespace {

// The exit CFOPs of the official table (Annex to Convênio SINIEF s/nº 1970, as worded by Ajuste
// SINIEF 07/01 and its later amendments), one a line: code; counts in the total outgoing (S/N);
// counts as taxed whatever the item's ICMS situation (S/N); name. docs/ciap-rules.md gives the
// reasons for the two columns. This is the table of schema version 2; later changes to it are
// migration steps of their own.
const char* const table = R"(
5101;S;N;Venda de produção do estabelecimento
5102;S;N;Venda de mercadoria adquirida ou recebida de terceiros
5103;S;N;Venda de produção do estabelecimento, efetuada fora do estabelecimento
5104;S;N;Venda de mercadoria adquirida ou recebida de terceiros, efetuada fora do estabelecimento
5105;S;N;Venda de produção do estabelecimento que não deva por ele transitar
5106;S;N;Venda de mercadoria adquirida ou recebida de terceiros, que não deva por ele transitar
5109;S;N;Venda de produção do estabelecimento, destinada à Zona Franca de Manaus ou Áreas de Livre Comércio
5110;S;N;Venda de mercadoria adquirida ou recebida de terceiros, destinada à Zona Franca de Manaus ou Áreas de Livre Comércio
5111;N;N;Venda de produção do estabelecimento remetida anteriormente em consignação industrial
5112;N;N;Venda de mercadoria adquirida ou recebida de terceiros remetida anteriormente em consignação industrial
5113;N;N;Venda de produção do estabelecimento remetida anteriormente em consignação mercantil
5114;N;N;Venda de mercadoria adquirida ou recebida de terceiros remetida anteriormente em consignação mercantil
5115;S;N;Venda de mercadoria adquirida ou recebida de terceiros, recebida anteriormente em consignação mercantil
5116;S;N;Venda de produção do estabelecimento originada de encomenda para entrega futura
5117;S;N;Venda de mercadoria adquirida ou recebida de terceiros, originada de encomenda para entrega futura
5118;S;N;Venda de produção do estabelecimento entregue ao destinatário por conta e ordem do adquirente originário, em venda à ordem
5119;S;N;Venda de mercadoria adquirida ou recebida de terceiros entregue ao destinatário por conta e ordem do adquirente originário, em venda à ordem
5120;S;N;Venda de mercadoria adquirida ou recebida de terceiros entregue ao destinatário pelo vendedor remetente, em venda à ordem
5122;S;N;Venda de produção do estabelecimento remetida para industrialização, por conta e ordem do adquirente, sem transitar pelo estabelecimento do adquirente
5123;S;N;Venda de mercadoria adquirida ou recebida de terceiros remetida para industrialização, por conta e ordem do adquirente, sem transitar pelo estabelecimento do adquirente
5124;S;N;Industrialização efetuada para outra empresa
5125;S;N;Industrialização efetuada para outra empresa quando a mercadoria recebida para utilização no processo de industrialização não transitar pelo estabelecimento adquirente da mercadoria
5129;S;N;Venda de insumo importado e de mercadoria industrializada sob o amparo do Regime Aduaneiro Especial de Entreposto Industrial sob Controle Informatizado do Sistema Público de Escrituração Digital (Recof-Sped
5131;S;N;Remessa de produção do estabelecimento, com previsão de posterior ajuste ou fixação de preço, de ato cooperativo
5132;S;N;Fixação de preço de produção do estabelecimento, inclusive quando remetidas anteriormente com previsão de posterior ajuste ou fixação de preço de ato cooperativo
5151;S;N;Transferência de produção do estabelecimento
5152;S;N;Transferência de mercadoria adquirida ou recebida de terceiros
5153;S;N;Transferência de energia elétrica
5155;S;N;Transferência de produção do estabelecimento, que não deva por ele transitar
5156;S;N;Transferência de mercadoria adquirida ou recebida de terceiros, que não deva por ele transitar
5159;S;N;Fornecimento de produção do estabelecimento de ato cooperativo
5160;S;N;Fornecimento de mercadoria adquirida ou recebida de terceiros de ato cooperativo
5201;N;N;Devolução de compra para industrialização
5202;N;N;Devolução de compra para comercialização
5205;N;N;Anulação de valor relativo a aquisição de serviço de comunicação
5206;N;N;Anulação de valor relativo a aquisição de serviço de transporte
5207;N;N;Anulação de valor relativo à compra de energia elétrica
5208;N;N;Devolução de mercadoria recebida em transferência para industrialização
5209;N;N;Devolução de mercadoria recebida em transferência para comercialização
5210;N;N;Devolução de compra para utilização na prestação de serviço
5213;N;N;Devolução de entrada de mercadoria com previsão de posterior ajuste ou fixação de preço, em ato cooperativo
5214;N;N;Devolução de fixação de preço de produção do estabelecimento produtor, inclusive quando remetidas anteriormente com previsão de posterior ajuste ou fixação de preço, de ato cooperativo, para comercialização
5215;N;N;Devolução de fixação de preço de produção do estabelecimento produtor, inclusive quando remetidas anteriormente com previsão de posterior ajuste ou fixação de preço, de ato cooperativo, para industrialização
5216;N;N;Devolução de entrada decorrente do fornecimento de produto ou mercadoria de ato cooperativo
5251;S;N;Venda de energia elétrica para distribuição ou comercialização
5252;S;N;Venda de energia elétrica para estabelecimento industrial
5253;S;N;Venda de energia elétrica para estabelecimento comercial
5254;S;N;Venda de energia elétrica para estabelecimento prestador de serviço de transporte
5255;S;N;Venda de energia elétrica para estabelecimento prestador de serviço de comunicação
5256;S;N;Venda de energia elétrica para estabelecimento de produtor rural
5257;S;N;Venda de energia elétrica para consumo por demanda contratada
5258;S;N;Venda de energia elétrica a não contribuinte
5301;S;N;Prestação de serviço de comunicação para execução de serviço da mesma natureza
5302;S;N;Prestação de serviço de comunicação a estabelecimento industrial
5303;S;N;Prestação de serviço de comunicação a estabelecimento comercial
5304;S;N;Prestação de serviço de comunicação a estabelecimento de prestador de serviço de transporte
5305;S;N;Prestação de serviço de comunicação a estabelecimento de geradora ou de distribuidora de energia elétrica
5306;S;N;Prestação de serviço de comunicação a estabelecimento de produtor rural
5307;S;N;Prestação de serviço de comunicação a não contribuinte
5351;S;N;Prestação de serviço de transporte para execução de serviço da mesma natureza
5352;S;N;Prestação de serviço de transporte a estabelecimento industrial
5353;S;N;Prestação de serviço de transporte a estabelecimento comercial
5354;S;N;Prestação de serviço de transporte a estabelecimento de prestador de serviço de comunicação
5355;S;N;Prestação de serviço de transporte a estabelecimento de geradora ou de distribuidora de energia elétrica
5356;S;N;Prestação de serviço de transporte a estabelecimento de produtor rural
5357;S;N;Prestação de serviço de transporte a não contribuinte
5359;S;N;Prestação de serviço de transporte a contribuinte ou a não contribuinte quando a mercadoria transportada está dispensada de emissão de nota fiscal
5360;S;N;Prestação de serviço de transporte a contribuinte substituto em relação ao serviço de transporte
5401;S;N;Venda de produção do estabelecimento em operação com produto sujeito ao regime de substituição tributária, na condição de contribuinte substituto
5402;S;N;Venda de produção do estabelecimento de produto sujeito ao regime de substituição tributária, em operação entre contribuintes substitutos do mesmo produto
5403;S;N;Venda de mercadoria, adquirida ou recebida de terceiros, sujeita ao regime de substituição tributária, na condição de contribuinte-substituto
5405;S;N;Venda de mercadoria, adquirida ou recebida de terceiros, sujeita ao regime de substituição tributária, na condição de contribuinte-substituído
5408;S;N;Transferência de produção do estabelecimento em operação com produto sujeito ao regime de substituição tributária
5409;S;N;Transferência de mercadoria adquirida ou recebida de terceiros em operação com mercadoria sujeita ao regime de substituição tributária
5410;N;N;Devolução de compra para industrialização em operação com mercadoria sujeita ao regime de substituição tributária
5411;N;N;Devolução de compra para comercialização em operação com mercadoria sujeita ao regime de substituição tributária
5412;N;N;Devolução de bem do ativo imobilizado, em operação com mercadoria sujeita ao regime de substituição tributária
5413;N;N;Devolução de mercadoria destinada ao uso ou consumo, em operação com mercadoria sujeita ao regime de substituição tributária
5414;N;N;Remessa de produção do estabelecimento para venda fora do estabelecimento em operação com produto sujeito ao regime de substituição tributária
5415;N;N;Remessa de mercadoria adquirida ou recebida de terceiros para venda fora do estabelecimento, em operação com mercadoria sujeita ao regime de substituição tributária
5451;N;N;Remessa de animal - Sistema de Integração e Parceria Rural
5452;N;N;Remessa de insumo - Sistema de Integração e Parceria Rural
5453;N;N;Retorno de animal ou da produção - Sistema de Integração e Parceria Rural
5454;N;N;Retorno simbólico de animal ou da produção - Sistema de Integração e Parceria Rural
5455;N;N;Retorno de insumos não utilizados na produção - Sistema de Integração e Parceria Rural
5456;S;N;Saída referente a remuneração do produtor - Sistema de Integração e Parceria Rural
5501;S;N;Remessa de produção do estabelecimento, com fim específico de exportação
5502;S;N;Remessa de mercadoria adquirida ou recebida de terceiros, com fim específico de exportação
5503;N;N;Devolução de mercadoria recebida com fim específico de exportação
5504;N;N;Remessa de mercadorias para formação de lote de exportação, de produtos industrializados ou produzidos pelo próprio estabelecimento
5505;N;N;Remessa de mercadorias, adquiridas ou recebidas de terceiros, para formação de lote de exportação
5551;S;N;Venda de bem do ativo imobilizado
5552;S;N;Transferência de bem do ativo imobilizado
5553;N;N;Devolução de compra de bem para o ativo imobilizado
5554;N;N;Remessa de bem do ativo imobilizado para uso fora do estabelecimento
5555;N;N;Devolução de bem do ativo imobilizado de terceiro, recebido para uso no estabelecimento
5556;N;N;Devolução de compra de material de uso ou consumo
5557;S;N;Transferência de material de uso ou consumo
5601;N;N;Transferência de crédito de ICMS acumulado
5602;N;N;Transferência de saldo credor de ICMS para outro estabelecimento da mesma empresa, destinado à compensação de saldo devedor de ICMS
5603;N;N;Ressarcimento de ICMS retido por substituição tributária
5605;N;N;Transferência de saldo devedor de ICMS de outro estabelecimento da mesma empresa
5606;N;N;Utilização de saldo credor de ICMS para extinção por compensação de débitos fiscais
5651;S;N;Venda de combustível ou lubrificante de produção do estabelecimento destinado à industrialização subseqüente
5652;S;N;Venda de combustível ou lubrificante de produção do estabelecimento destinado à comercialização
5653;S;N;Venda de combustível ou lubrificante de produção do estabelecimento destinado a consumidor ou usuário final
5654;S;N;Venda de combustível ou lubrificante adquirido ou recebido de terceiros destinado à industrialização subseqüente
5655;S;N;Venda de combustível ou lubrificante adquirido ou recebido de terceiros destinado à comercialização
5656;S;N;Venda de combustível ou lubrificante adquirido ou recebido de terceiros destinado a consumidor ou usuário final
5657;N;N;Remessa de combustível ou lubrificante adquirido ou recebido de terceiros para venda fora do estabelecimento
5658;S;N;Transferência de combustível ou lubrificante de produção do estabelecimento
5659;S;N;Transferência de combustível ou lubrificante adquirido ou recebido de terceiro
5660;N;N;Devolução de compra de combustível ou lubrificante adquirido para industrialização subseqüente
5661;N;N;Devolução de compra de combustível ou lubrificante adquirido para comercialização
5662;N;N;Devolução de compra de combustível ou lubrificante adquirido por consumidor ou usuário final
5663;N;N;Remessa para armazenagem de combustível ou lubrificante
5664;N;N;Retorno de combustível ou lubrificante recebido para armazenagem
5665;N;N;Retorno simbólico de combustível ou lubrificante recebido para armazenagem
5666;N;N;Remessa por conta e ordem de terceiros de combustível ou lubrificante recebido para armazenagem
5667;S;N;Venda de combustível ou lubrificante a consumidor ou usuário final estabelecido em outra unidade da Federação
5901;N;N;Remessa para industrialização por encomenda
5902;N;N;Retorno de mercadoria utilizada na industrialização por encomenda
5903;N;N;Retorno de mercadoria recebida para industrialização e não aplicada no referido processo
5904;N;N;Remessa para venda fora do estabelecimento
5905;N;N;Remessa para depósito fechado ou armazém geral
5906;N;N;Retorno de mercadoria depositada em depósito fechado ou armazém geral
5907;N;N;Retorno simbólico de mercadoria depositada em depósito fechado ou armazém geral
5908;N;N;Remessa de bem por conta de contrato de comodato ou locação
5909;N;N;Retorno de bem recebido por conta de contrato de comodato ou locação
5910;S;N;Remessa em bonificação, doação ou brinde
5911;S;N;Remessa de amostra grátis
5912;N;N;Remessa de mercadoria ou bem para demonstração
5913;N;N;Retorno de mercadoria ou bem recebido para demonstração
5914;N;N;Remessa de mercadoria ou bem para exposição ou feira
5915;N;N;Remessa de mercadoria ou bem para conserto ou reparo
5916;N;N;Retorno de mercadoria ou bem recebido para conserto ou reparo
5917;S;N;Remessa de mercadoria em consignação mercantil ou industrial
5918;N;N;Devolução de mercadoria recebida em consignação mercantil ou industrial
5919;N;N;Devolução simbólica de mercadoria vendida ou utilizada em processo industrial, recebida anteriormente em consignação mercantil ou industrial
5920;N;N;Remessa de vasilhame ou sacaria
5921;N;N;Devolução de vasilhame ou sacaria
5922;N;N;Lançamento efetuado a título de simples faturamento decorrente de venda para entrega futura
5923;N;N;Remessa de mercadoria por conta e ordem de terceiros, em venda à ordem ou em operações com armazém geral ou depósito fechado
5924;N;N;Remessa para industrialização por conta e ordem do adquirente da mercadoria, quando esta não transitar pelo estabelecimento do adquirente
5925;N;N;Retorno de mercadoria recebida para industrialização por conta e ordem do adquirente da mercadoria, quando aquela não transitar pelo estabelecimento do adquirente
5926;N;N;Lançamento efetuado a título de reclassificação de mercadoria decorrente de formação de kit ou de sua desagregação
5927;N;N;Lançamento efetuado a título de baixa de estoque decorrente de perda, roubo ou deterioração
5928;N;N;Lançamento efetuado a título de baixa de estoque decorrente do encerramento da atividade da empresa
5929;N;N;Lançamento efetuado em decorrência de emissão de documento fiscal relativo a operação ou prestação também acobertada por documento fiscal do varejo
5931;N;N;Lançamento efetuado em decorrência da responsabilidade de retenção do imposto por substituição tributária, atribuída ao remetente ou alienante da mercadoria, pelo serviço de transporte realizado por transportador autônomo ou por transportador não inscrito na unidade da Federação onde iniciado o serviço
5932;S;N;Prestação de serviço de transporte iniciada em unidade da Federação diversa daquela onde inscrito o prestador
5933;N;N;Prestação de serviço tributado pelo ISSQN
5934;N;N;Remessa simbólica de mercadoria depositada em armazém geral ou depósito fechado
5949;S;N;Outra saída de mercadoria ou prestação de serviço não especificado
6101;S;N;Venda de produção do estabelecimento
6102;S;N;Venda de mercadoria adquirida ou recebida de terceiros
6103;S;N;Venda de produção do estabelecimento, efetuada fora do estabelecimento
6104;S;N;Venda de mercadoria adquirida ou recebida de terceiros, efetuada fora do estabelecimento
6105;S;N;Venda de produção do estabelecimento que não deva por ele transitar
6106;S;N;Venda de mercadoria adquirida ou recebida de terceiros, que não deva por ele transitar
6107;S;N;Venda de produção do estabelecimento, destinada a não contribuinte
6108;S;N;Venda de mercadoria adquirida ou recebida de terceiros, destinada a não contribuinte
6109;S;N;Venda de produção do estabelecimento, destinada à Zona Franca de Manaus ou Áreas de Livre Comércio
6110;S;N;Venda de mercadoria adquirida ou recebida de terceiros, destinada à Zona Franca de Manaus ou Áreas de Livre Comércio
6111;N;N;Venda de produção do estabelecimento remetida anteriormente em consignação industrial
6112;N;N;Venda de mercadoria adquirida ou recebida de Terceiros remetida anteriormente em consignação industrial
6113;N;N;Venda de produção do estabelecimento remetida anteriormente em consignação mercantil
6114;N;N;Venda de mercadoria adquirida ou recebida de terceiros remetida anteriormente em consignação mercantil
6115;S;N;Venda de mercadoria adquirida ou recebida de terceiros, recebida anteriormente em consignação mercantil
6116;S;N;Venda de produção do estabelecimento originada de encomenda para entrega futura
6117;S;N;Venda de mercadoria adquirida ou recebida de terceiros, originada de encomenda para entrega futura
6118;S;N;Venda de produção do estabelecimento entregue ao destinatário por conta e ordem do adquirente originário, em venda à ordem
6119;S;N;Venda de mercadoria adquirida ou recebida de terceiros entregue ao destinatário por conta e ordem do adquirente originário, em venda à ordem
6120;S;N;Venda de mercadoria adquirida ou recebida de terceiros entregue ao destinatário pelo vendedor remetente, em venda à ordem
6122;S;N;Venda de produção do estabelecimento remetida para industrialização, por conta e ordem do adquirente, sem transitar pelo estabelecimento do adquirente
6123;S;N;Venda de mercadoria adquirida ou recebida de terceiros remetida para industrialização, por conta e ordem do adquirente, sem transitar pelo estabelecimento do adquirente
6124;S;N;Industrialização efetuada para outra empresa
6125;S;N;Industrialização efetuada para outra empresa quando a mercadoria recebida para utilização no processo de industrialização não transitar pelo estabelecimento adquirente da mercadoria
6129;S;N;Venda de insumo importado e de mercadoria industrializada sob o amparo do Regime Aduaneiro Especial de Entreposto Industrial sob Controle Informatizado do Sistema Público de Escrituração Digital (Recof-Sped)
6131;S;N;Remessa de produção de estabelecimento, com previsão de posterior ajuste ou fixação de preço de ato cooperativo
6132;S;N;Fixação de preço de produção do estabelecimento, inclusive quando remetidas anteriormente com previsão de posterior ajuste ou fixação de preço ou fixação de preço de ato cooperativo
6151;S;N;Transferência de produção do estabelecimento
6152;S;N;Transferência de mercadoria adquirida ou recebida de terceiros
6153;S;N;Transferência de energia elétrica
6155;S;N;Transferência de produção do estabelecimento, que não deva por ele transitar
6156;S;N;Transferência de mercadoria adquirida ou recebida de terceiros, que não deva por ele transitar
6159;S;N;Fornecimento de produção do estabelecimento de ato cooperativo
6160;S;N;Fornecimento de mercadoria adquirida ou recebida de terceiros de ato cooperativo
6201;N;N;Devolução de compra para industrialização
6202;N;N;Devolução de compra para comercialização
6205;N;N;Anulação de valor relativo a aquisição de serviço de comunicação
6206;N;N;Anulação de valor relativo a aquisição de serviço de transporte
6207;N;N;Anulação de valor relativo à compra de energia elétrica
6208;N;N;Devolução de mercadoria recebida em transferência para industrialização
6209;N;N;Devolução de mercadoria recebida em transferência para comercialização
6210;N;N;Devolução de compra para utilização na prestação de serviço
6213;N;N;Devolução de entrada de mercadoria com previsão de posterior ajuste ou fixação de preço, em ato cooperativo
6214;N;N;Devolução de fixação de preço de produção do estabelecimento produtor, inclusive quando remetidas anteriormente com previsão de posterior ajuste ou fixação de preço, de ato cooperativo, para comercialização
6215;N;N;Devolução de fixação de preço de produção do estabelecimento produtor, inclusive quando remetidas anteriormente com previsão de posterior ajuste ou fixação de preço, de ato cooperativo para industrialização
6216;N;N;Devolução de entrada decorrente do fornecimento de produto ou mercadoria de ato cooperativo
6251;S;N;Venda de energia elétrica para distribuição ou comercialização
6252;S;N;Venda de energia elétrica para estabelecimento industrial
6253;S;N;Venda de energia elétrica para estabelecimento comercial
6254;S;N;Venda de energia elétrica para estabelecimento prestador de serviço de transporte
6255;S;N;Venda de energia elétrica para estabelecimento prestador de serviço de comunicação
6256;S;N;Venda de energia elétrica para estabelecimento de produtor rural
6257;S;N;Venda de energia elétrica para consumo por demanda contratada
6258;S;N;Venda de energia elétrica a não contribuinte
6301;S;N;Prestação de serviço de comunicação para execução de serviço da mesma natureza
6302;S;N;Prestação de serviço de comunicação a estabelecimento industrial
6303;S;N;Prestação de serviço de comunicação a estabelecimento comercial
6304;S;N;Prestação de serviço de comunicação a estabelecimento de prestador de serviço de transporte
6305;S;N;Prestação de serviço de comunicação a estabelecimento de geradora ou de distribuidora de energia elétrica
6306;S;N;Prestação de serviço de comunicação a estabelecimento de produtor rural
6307;S;N;Prestação de serviço de comunicação a não contribuinte
6351;S;N;Prestação de serviço de transporte para execução de serviço da mesma natureza
6352;S;N;Prestação de serviço de transporte a estabelecimento industrial
6353;S;N;Prestação de serviço de transporte a estabelecimento comercial
6354;S;N;Prestação de serviço de transporte a estabelecimento de prestador de serviço de comunicação
6355;S;N;Prestação de serviço de transporte a estabelecimento de geradora ou de distribuidora de energia elétrica
6356;S;N;Prestação de serviço de transporte a estabelecimento de produtor rural
6357;S;N;Prestação de serviço de transporte a não contribuinte
6359;S;N;Prestação de serviço de transporte a contribuinte ou a não contribuinte quando a mercadoria transportada está dispensada de emissão de nota fiscal
6360;S;N;Prestação de serviço de transporte a contribuinte substituto em relação ao serviço de transporte
6401;S;N;Venda de produção do estabelecimento em operação com produto sujeito ao regime de substituição tributária, na condição de contribuinte substituto
6402;S;N;Venda de produção do estabelecimento de produto sujeito ao regime de substituição tributária, em operação entre contribuintes substitutos do mesmo produto
6403;S;N;Venda de mercadoria adquirida ou recebida de terceiros em operação com mercadoria sujeita ao regime de substituição tributária, na condição de contribuinte substituto
6404;S;N;Venda de mercadoria sujeita ao regime de substituição tributária, cujo imposto já tenha sido retido anteriormente
6408;S;N;Transferência de produção do estabelecimento em operação com produto sujeito ao regime de substituição tributária
6409;S;N;Transferência de mercadoria adquirida ou recebida de terceiros em operação com mercadoria sujeita ao regime de substituição tributária
6410;N;N;Devolução de compra para industrialização em operação com mercadoria sujeita ao regime de substituição tributária
6411;N;N;Devolução de compra para comercialização em operação com mercadoria sujeita ao regime de substituição tributária
6412;N;N;Devolução de bem do ativo imobilizado, em operação com mercadoria sujeita ao regime de substituição tributária
6413;N;N;Devolução de mercadoria destinada ao uso ou consumo, em operação com mercadoria sujeita ao regime de substituição tributária
6414;N;N;Remessa de produção do estabelecimento para venda fora do estabelecimento em operação com produto sujeito ao regime de substituição tributária
6415;N;N;Remessa de mercadoria adquirida ou recebida de terceiros para venda fora do estabelecimento, em operação com mercadoria sujeita ao regime de substituição tributária
6451;N;N;Remessa de animal - Sistema de Integração e Parceria Rural
6452;N;N;Remessa de insumo - Sistema de Integração e Parceria Rural
6453;N;N;Retorno de animal ou da produção - Sistema de Integração e Parceria Rural
6454;N;N;Retorno simbólico de animal ou da produção - Sistema de Integração e Parceria Rural
6455;N;N;Retorno de insumos não utilizados na produção - Sistema de Integração e Parceria Rural
6456;S;N;Saída referente a remuneração do produtor - Sistema de Integração e Parceria Rural
6501;S;N;Remessa de produção do estabelecimento, com fim específico de exportação
6502;S;N;Remessa de mercadoria adquirida ou recebida de terceiros, com fim específico de exportação
6503;N;N;Devolução de mercadoria recebida com fim específico de exportação
6504;N;N;Remessa de mercadorias para formação de lote de exportação, de produtos industrializados ou produzidos pelo próprio estabelecimento
6505;N;N;Remessa de mercadorias, adquiridas ou recebidas de terceiros, para formação de lote de exportação
6551;S;N;Venda de bem do ativo imobilizado
6552;S;N;Transferência de bem do ativo imobilizado
6553;N;N;Devolução de compra de bem para o ativo imobilizado
6554;N;N;Remessa de bem do ativo imobilizado para uso fora do estabelecimento
6555;N;N;Devolução de bem do ativo imobilizado de terceiro, recebido para uso no estabelecimento
6556;N;N;Devolução de compra de material de uso ou consumo
6557;S;N;Transferência de material de uso ou consumo
6603;N;N;Ressarcimento de ICMS retido por substituição tributária
6651;S;N;Venda de combustível ou lubrificante de produção do estabelecimento destinado à industrialização subseqüente
6652;S;N;Venda de combustível ou lubrificante de produção do estabelecimento destinado à comercialização
6653;S;N;Venda de combustível ou lubrificante de produção do estabelecimento destinado a consumidor ou usuário final
6654;S;N;Venda de combustível ou lubrificante adquirido ou recebido de terceiros destinado à industrialização subseqüente
6655;S;N;Venda de combustível ou lubrificante adquirido ou recebido de terceiros destinado à comercialização
6656;S;N;Venda de combustível ou lubrificante adquirido ou recebido de terceiros destinado a consumidor ou usuário final
6657;N;N;Remessa de combustível ou lubrificante adquirido ou recebido de terceiros para venda fora do estabelecimento
6658;S;N;Transferência de combustível ou lubrificante de produção do estabelecimento
6659;S;N;Transferência de combustível ou lubrificante adquirido ou recebido de terceiro
6660;N;N;Devolução de compra de combustível ou lubrificante adquirido para industrialização subseqüente
6661;N;N;Devolução de compra de combustível ou lubrificante adquirido para comercialização
6662;N;N;Devolução de compra de combustível ou lubrificante adquirido por consumidor ou usuário final
6663;N;N;Remessa para armazenagem de combustível ou lubrificante
6664;N;N;Retorno de combustível ou lubrificante recebido para armazenagem
6665;N;N;Retorno simbólico de combustível ou lubrificante recebido para armazenagem
6666;N;N;Remessa por conta e ordem de terceiros de combustível ou lubrificante recebido para armazenagem
6667;S;N;Venda de combustível ou lubrificante a consumidor ou usuário final estabelecido em outra unidade da Federação diferente a da que ocorrer o consumo
6901;N;N;Remessa para industrialização por encomenda
6902;N;N;Retorno de mercadoria utilizada na industrialização por encomenda
6903;N;N;Retorno de mercadoria recebida para industrialização e não aplicada no referido processo
6904;N;N;Remessa para venda fora do estabelecimento
6905;N;N;Remessa para depósito fechado ou armazém geral
6906;N;N;Retorno de mercadoria depositada em depósito fechado ou armazém geral
6907;N;N;Retorno simbólico de mercadoria depositada em depósito fechado ou armazém geral
6908;N;N;Remessa de bem por conta de contrato de comodato ou locação
6909;N;N;Retorno de bem recebido por conta de contrato de comodato ou locação
6910;S;N;Remessa em bonificação, doação ou brinde
6911;S;N;Remessa de amostra grátis
6912;N;N;Remessa de mercadoria ou bem para demonstração
6913;N;N;Retorno de mercadoria ou bem recebido para demonstração
6914;N;N;Remessa de mercadoria ou bem para exposição ou feira
6915;N;N;Remessa de mercadoria ou bem para conserto ou reparo
6916;N;N;Retorno de mercadoria ou bem recebido para conserto ou reparo
6917;S;N;Remessa de mercadoria em consignação mercantil ou industrial
6918;N;N;Devolução de mercadoria recebida em consignação mercantil ou industrial
6919;N;N;Devolução simbólica de mercadoria vendida ou utilizada em processo industrial, recebida anteriormente em consignação mercantil ou industrial
6920;N;N;Remessa de vasilhame ou sacaria
6921;N;N;Devolução de vasilhame ou sacaria
6922;N;N;Lançamento efetuado a título de simples faturamento decorrente de venda para entrega futura
6923;N;N;Remessa de mercadoria por conta e ordem de terceiros, em venda à ordem ou em operações com armazém geral ou depósito fechado
6924;N;N;Remessa para industrialização por conta e ordem do adquirente da mercadoria, quando esta não transitar pelo estabelecimento do adquirente
6925;N;N;Retorno de mercadoria recebida para industrialização por conta e ordem do adquirente da mercadoria, quando aquela não transitar pelo estabelecimento do adquirente
6929;N;N;Lançamento efetuado em decorrência de emissão de documento fiscal relativo a operação ou prestação também registrada em equipamento Emissor de Cupom Fiscal - ECF
6931;N;N;Lançamento efetuado em decorrência da responsabilidade de retenção do imposto por substituição tributária, atribuída ao remetente ou alienante da mercadoria, pelo serviço de transporte realizado por transportador autônomo ou por transportador não inscrito na unidade da Federação onde iniciado o serviço
6932;S;N;Prestação de serviço de transporte iniciada em unidade da Federação diversa daquela onde inscrito o prestador
6933;N;N;Prestação de serviço tributado pelo ISSQN
6934;N;N;Remessa simbólica de mercadoria depositada em armazém geral ou depósito fechado
6949;S;N;Outra saída de mercadoria ou prestação de serviço não especificado
7101;S;S;Venda de produção do estabelecimento
7102;S;S;Venda de mercadoria adquirida ou recebida de terceiros
7105;S;S;Venda de produção do estabelecimento, que não deva por ele transitar
7106;S;S;Venda de mercadoria adquirida ou recebida de terceiros, que não deva por ele transitar
7127;S;S;Venda de produção do estabelecimento sob o regime de drawback
7129;S;S;Venda de produção do estabelecimento ao mercado externo de mercadoria industrializada sob o amparo do Regime Aduaneiro Especial de Entreposto Industrial sob Controle Informatizado do Sistema Público de Escrituração Digital (Recof-Sped)
7201;N;N;Devolução de compra para industrialização
7202;N;N;Devolução de compra para comercialização
7205;N;N;Anulação de valor relativo à aquisição de serviço de comunicação
7206;N;N;Anulação de valor relativo a aquisição de serviço de transporte
7207;N;N;Anulação de valor relativo à compra de energia elétrica
7210;N;N;Devolução de compra para utilização na prestação de serviço
7211;N;N;Devolução de compras para industrialização sob o regime de drawback
7212;N;N;Devolução de compras para industrialização sob o regime de Regime Aduaneiro Especial de Entreposto Industrial sob Controle Informatizado do Sistema Público de Escrituração Digital (Recof-Sped)
7251;S;S;Venda de energia elétrica para o exterior
7301;S;S;Prestação de serviço de comunicação para execução de serviço da mesma natureza
7358;S;S;Prestação de serviço de transporte
7501;S;S;Exportação de mercadorias recebidas com fim específico de exportação
7504;S;S;Exportação de mercadoria que foi objeto de formação de lote de exportação
7551;S;S;Venda de bem do ativo imobilizado
7552;S;S;Saída de produtos destinados ao uso ou consumo de bordo, em embarcações ou aeronaves exclusivamente em tráfego internacional com destino ao exterior
7553;N;N;Devolução de compra de bem para o ativo imobilizado
7556;N;N;Devolução de compra de material de uso ou consumo
7651;S;S;Venda de combustível ou lubrificante de produção do estabelecimento destinado à industrialização subseqüente
7654;S;S;Venda de combustível ou lubrificante adquirido ou recebido de terceiros destinado à industrialização subseqüente
7667;S;S;Venda de combustível ou lubrificante a consumidor ou usuário final
7930;N;N;Lançamento efetuado a título de devolução de bem cuja entrada tenha ocorrido sob amparo de regime especial aduaneiro de admissão temporária
7949;S;S;Outra saída de mercadoria ou prestação de serviço não especificado
)";

QString quoted(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

} // namespace

QStringList CfopSeed::statements() {
    constexpr int Batch = 100;
    const QString head = QStringLiteral("INSERT INTO CFOPSAIDA (CDCFOP, SGUF, NMCFOP, IDCONTATOTAL,"
                                        " IDCONTATRIBUTADA) VALUES ");
    QStringList out;
    QStringList values;
    for (const QString& line :
         QString::fromUtf8(table).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char(';'));
        values << QStringLiteral("(%1, '', %2, %3, %4)")
                      .arg(quoted(f.at(0)), quoted(f.at(3)), quoted(f.at(1)), quoted(f.at(2)));
        if (values.size() == Batch) {
            out << head + values.join(QStringLiteral(", "));
            values.clear();
        }
    }
    if (!values.isEmpty())
        out << head + values.join(QStringLiteral(", "));
    return out;
}

} // namespace ciap::server
