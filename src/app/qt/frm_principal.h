#pragma once

#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include "base/window_services.h"

// The program's one window, built from its description (app/frm_principal_layout.h). It holds the
// controls and nothing else: every event is forwarded to the handlers (see ConnectHandlers).
class FrmPrincipal : public QWidget {
    Q_OBJECT

public:
    explicit FrmPrincipal(QWidget* parent = nullptr);

    QLineEdit* box(kestrel::TextBox which) const;

    QPushButton* cmdQuintara = nullptr;
    QPushButton* cmdNovaConexao = nullptr;
    QPushButton* Command1 = nullptr;
    QTimer* Timer1 = nullptr;
    // "Copiar tudo": Ctrl+Shift+C, and the context menu of the window's free area.
    QAction* actCopiarTudo = nullptr;

private:
    QLineEdit* m_boxes[8] = {};
};
