#include "windows/clublistamend.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "entries/clubtable.h"

namespace Windows {

ClubListAmend::ClubListAmend(Entries::ClubTableForm &form, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
    , m_list(new QListWidget(this))
    , m_add(new QPushButton(tr("&Add Club"), this))
    , m_asa(new QPushButton(tr("Add from AS&A List"), this))
    , m_exit(new QPushButton(tr("E&xit"), this))
{
    setObjectName(QStringLiteral("ClubListAmend"));
    setWindowTitle(tr("Club Names"));
    m_list->setObjectName(QStringLiteral("ClubNameList"));
    m_list->setToolTip(tr("Double-click a club to change its name."));
    m_add->setObjectName(QStringLiteral("AddClubButton"));
    m_asa->setObjectName(QStringLiteral("asa_club"));
    m_exit->setObjectName(QStringLiteral("ExitButton"));
    // Enter in the list renames the line; it must not press a button.
    for (QPushButton *button : {m_add, m_asa, m_exit}) {
        button->setAutoDefault(false);
        button->setMinimumHeight(30);
    }

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(m_add);
    buttons->addWidget(m_asa);
    buttons->addStretch();
    buttons->addWidget(m_exit);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);
    resize(520, 420);

    connect(m_add, &QPushButton::clicked, this, [this] {
        m_form.AddClubByHand();
        ShowList();
    });
    connect(m_asa, &QPushButton::clicked, this, [this] {
        m_form.AddFromClubCodeFile();
        ShowList();
    });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_list, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
        const int row = m_list->row(item);
        m_form.RenameClub(row);
        ShowList();
        m_list->setCurrentRow(row);
    });

    ShowList();
}

void ClubListAmend::done(int result)
{
    m_form.Exit();
    QDialog::done(result);
}

void ClubListAmend::ShowList()
{
    m_list->clear();
    m_list->addItems(m_form.ClubNameList());
    const int added = m_form.LastAddedLine();
    if (added >= 0 && added < m_list->count()) {
        m_list->setCurrentRow(added);
        m_list->scrollToItem(m_list->item(added));
    }
}

void RunClubListAmend(MeetDb::Session &session, Entries::ClubCodeFile &codeFile,
                      Core::Prompts &prompts, QWidget *parent)
{
    Entries::ClubTableForm form(session, codeFile, prompts);
    ClubListAmend window(form, parent);
    window.exec();
}

} // namespace Windows
