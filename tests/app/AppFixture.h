#pragma once

#include "app/AppDelegate.h"
#include "app/DocumentController.h"
#include "app/TabController.h"
#include "app/WindowController.h"
#include "app/FileOperationsController.h"
#include "app/EditingController.h"
#include "app/SessionController.h"
#include "app/MainWindow.h"
#include "editor/EditorTextView.h"

#include "TestSupport.h"

#include "chrome/InlineCard.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// A real controller with its real window on the offscreen platform, over a clean settings store.
class AppFixture : public ::testing::Test {
protected:
    void SetUp() override { testsupport::clearSettings(); }

    void TearDown() override
    {
        app.reset();
        testsupport::clearSettings();
    }

    AppDelegate &launch()
    {
        app = std::make_unique<AppDelegate>();
        app->didFinishLaunching();
        QApplication::processEvents();
        return *app;
    }

    QString file(const QString &name, const QByteArray &bytes = "text\n")
    {
        return testsupport::writeFile(dir, name, bytes);
    }

    void type(const DocumentPtr &document, const QString &text)
    {
        document->textView->insertText(text);
    }

    // A key as the user presses it in the document's view.
    void press(const DocumentPtr &document, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(document->textView.data(), key, modifiers);
    }

    // A file read in the background is in its view (or was refused) within the limit.
    static bool loaded(const DocumentPtr &document, int timeoutMs = 60000)
    {
        return testsupport::waitUntil([&] { return !document->loading; }, timeoutMs);
    }

    // The card's title and detail, as the user reads them.
    QStringList cardTexts() const
    {
        QStringList texts;
        if (app && app->window().card())
            for (const QLabel *label : app->window().card()->findChildren<QLabel *>())
                texts << label->text();
        return texts;
    }

    // Runs the real git in the test folder, as one fixed author.
    void git(const QStringList &arguments)
    {
        QProcess process;
        process.setWorkingDirectory(dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *name : { "GIT_AUTHOR_NAME", "GIT_COMMITTER_NAME" })
            environment.insert(name, "Ada Lovelace");
        for (const char *name : { "GIT_AUTHOR_EMAIL", "GIT_COMMITTER_EMAIL" })
            environment.insert(name, "ada@example.org");
        process.setProcessEnvironment(environment);
        process.start("/usr/bin/git", arguments);
        process.waitForFinished(10000);
    }

    // Clicks the card's button with this title, as the user would.
    bool pressCardButton(const QString &title)
    {
        if (!app || !app->window().card())
            return false;
        for (QAbstractButton *button : app->window().card()->findChildren<QAbstractButton *>()) {
            if (button->text() == title) {
                button->click();
                QApplication::processEvents();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                return true;
            }
        }
        return false;
    }

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> app;
};
