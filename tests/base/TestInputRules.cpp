#include "base/InputRules.h"

#include <QTest>

using namespace InputRules;

namespace {

// Key presses as the keyboard sends them.
struct Press
{
    int key;
    Qt::KeyboardModifiers modifiers;
    QString text;
    bool paste = false;
};

Press typed(char c)
{
    return {c >= 'a' && c <= 'z' ? Qt::Key_A + (c - 'a') : int(c), Qt::NoModifier, QString(QLatin1Char(c))};
}

const Press Tab{Qt::Key_Tab, Qt::NoModifier, "\t"};
const Press Backtab{Qt::Key_Backtab, Qt::ShiftModifier, ""};
const Press Enter{Qt::Key_Return, Qt::NoModifier, "\r"};
const Press Escape{Qt::Key_Escape, Qt::NoModifier, QString(QChar(0x1b))};
const Press Backspace{Qt::Key_Backspace, Qt::NoModifier, "\b"};
const Press Delete{Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7f))};
const Press Left{Qt::Key_Left, Qt::NoModifier, ""};
const Press Paste{Qt::Key_V, Qt::ControlModifier, QString(QChar(0x16)), true};
const Press Copy{Qt::Key_C, Qt::ControlModifier, "c"};
const Press KeypadFive{Qt::Key_5, Qt::KeypadModifier, "5"};

} // namespace

Q_DECLARE_METATYPE(Press)
Q_DECLARE_METATYPE(InputRules::Rule)

class TestInputRules : public QObject
{
    Q_OBJECT

private slots:
    void keys_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<Press>("press");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("selected");
        QTest::addColumn<bool>("passes");

        QTest::newRow("weight digit") << kStationWeightKg << typed('5') << "1.2" << 0 << true;
        QTest::newRow("weight keypad digit") << kGoodsWeightKg << KeypadFive << "" << 0 << true;
        QTest::newRow("weight second point") << kGoodsWeightKg << typed('.') << "1.2" << 0 << false;
        QTest::newRow("weight point over a selected point")
            << kStationWeightKg << typed('.') << "1.2" << 3 << false;
        QTest::newRow("weight letter") << kStationWeightKg << typed('a') << "" << 0 << false;
        QTest::newRow("weight sign") << kStationWeightKg << typed('-') << "" << 0 << false;
        QTest::newRow("weight full") << kGoodsWeightKg << typed('1') << "12.345" << 0 << false;
        QTest::newRow("weight full, one selected") << kGoodsWeightKg << typed('1') << "12.345" << 1 << true;
        QTest::newRow("weight full, backspace") << kStationWeightKg << Backspace << "12.345" << 0 << true;
        QTest::newRow("weight Tab") << kGoodsWeightKg << Tab << "" << 0 << true;
        QTest::newRow("weight Backtab") << kGoodsWeightKg << Backtab << "" << 0 << true;
        QTest::newRow("weight Delete") << kStationWeightKg << Delete << "1" << 0 << true;
        QTest::newRow("weight arrow") << kGoodsWeightKg << Left << "1" << 0 << true;
        QTest::newRow("weight Enter stays") << kStationWeightKg << Enter << "" << 0 << false;
        QTest::newRow("weight Escape stays") << kGoodsWeightKg << Escape << "" << 0 << false;
        QTest::newRow("station weight paste") << kStationWeightKg << Paste << "" << 0 << true;
        QTest::newRow("goods weight paste") << kGoodsWeightKg << Paste << "" << 0 << false;
        QTest::newRow("goods weight copy") << kGoodsWeightKg << Copy << "" << 0 << false;
        QTest::newRow("postage sixth character") << kPostageYuan << typed('1') << "12.34" << 0 << false;
        QTest::newRow("postage Enter stays") << kPostageYuan << Enter << "" << 0 << false;
        QTest::newRow("count point") << kSampleCount << typed('.') << "" << 0 << false;
        QTest::newRow("count Tab") << kSampleCount << Tab << "3" << 0 << true;
        QTest::newRow("count Enter stays") << kSampleCount << Enter << "3" << 0 << false;
        QTest::newRow("range point") << kScaleRangeKg << typed('.') << "30" << 0 << true;
        QTest::newRow("range fifth character") << kScaleRangeKg << typed('0') << "30.5" << 0 << false;
        QTest::newRow("range paste") << kScaleRangeKg << Paste << "" << 0 << false;
        QTest::newRow("range copy") << kScaleRangeKg << Copy << "30" << 0 << true;
        QTest::newRow("range Enter reaches OK") << kScaleRangeKg << Enter << "30" << 0 << true;
        QTest::newRow("range Escape cancels") << kScaleRangeKg << Escape << "30" << 0 << true;
        QTest::newRow("rate point") << kBaudRate << typed('.') << "96" << 0 << false;
        QTest::newRow("grams point") << kBracketGrams << typed('.') << "5" << 0 << false;
        QTest::newRow("grams paste") << kBracketGrams << Paste << "" << 0 << true;
        QTest::newRow("yuan first point") << kBracketYuan << typed('.') << "5" << 0 << true;
        QTest::newRow("yuan long") << kBracketYuan << typed('9') << "12345678" << 0 << true;
        QTest::newRow("text letter") << kText << typed('z') << "ZT9" << 0 << true;
        QTest::newRow("text Enter") << kText << Enter << "" << 0 << true;
    }

    void keys()
    {
        QFETCH(Rule, rule);
        QFETCH(Press, press);
        QFETCH(QString, text);
        QFETCH(int, selected);
        QFETCH(bool, passes);
        const Key key = keyOf(press.key, press.modifiers, press.text, press.paste);
        QCOMPARE(InputRules::passes(rule, key, text, selected), passes);
    }

    void typing()
    {
        // What clears the typed-weight Enter mark.
        for (const Press& press : {typed('1'), Backspace, Escape, Paste, Copy}) {
            QVERIFY2(isTyping(keyOf(press.key, press.modifiers, press.text, press.paste)),
                     qPrintable(press.text));
        }
        for (const Press& press : {Enter, Tab, Backtab, Left, Delete}) {
            QVERIFY(!isTyping(keyOf(press.key, press.modifiers, press.text, press.paste)));
        }
    }

    void wholeTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("decimal");
        QTest::addColumn<bool>("digits");
        QTest::addColumn<bool>("illegalStart");
        QTest::addColumn<bool>("legalRange");
        QTest::addColumn<bool>("legalRate");

        QTest::newRow("empty") << "" << true << true << false << false << false;
        QTest::newRow("30") << "30" << true << true << false << true << true;
        QTest::newRow("30.") << "30." << true << false << false << true << false;
        QTest::newRow("0.5") << "0.5" << true << false << false << true << false;
        QTest::newRow(".5") << ".5" << true << false << true << false << false;
        QTest::newRow("005") << "005" << true << true << true << true << true;
        QTest::newRow("0") << "0" << true << true << false << false << false;
        QTest::newRow("1.2.3") << "1.2.3" << false << false << false << false << false;
        QTest::newRow("prompt text") << "请输入VarnikD量程!" << false << false << false << false << false;
    }

    void wholeTexts()
    {
        QFETCH(QString, text);
        QFETCH(bool, decimal);
        QFETCH(bool, digits);
        QFETCH(bool, illegalStart);
        QFETCH(bool, legalRange);
        QFETCH(bool, legalRate);
        QCOMPARE(keepsToCharacters(kBracketYuan, text), decimal);
        QCOMPARE(keepsToCharacters(kBracketGrams, text), digits);
        QCOMPARE(startsIllegally(text), illegalStart);
        QCOMPARE(isLegalRange(text), legalRange);
        QCOMPARE(isLegalBaudRate(text), legalRate);
    }
};

QTEST_GUILESS_MAIN(TestInputRules)
#include "TestInputRules.moc"
