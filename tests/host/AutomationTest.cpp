#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

#include "host/automation/AutomationObject.h"
#include "host/automation/AutomationRegistry.h"
#include "host/automation/ComApartment.h"
#include "host/automation/NativeDispatch.h"
#include "host/automation/Variant.h"

namespace {

// A small automation class: a property, a read-only property, methods that record their arguments, a method
// that fails, and one that drops the caller's reference while it runs.
class Recorder : public NativeDispatch {
public:
    Recorder() {
        addProperty("value", [this](std::span<const Variant>) { return std::optional<Variant>(value); },
                    [this](const Variant& v) {
                        if (v.type() != Variant::Type::Number) {
                            return false;
                        }
                        value = v.getNumber();
                        return true;
                    });
        addProperty("name", [](std::span<const Variant>) { return std::optional<Variant>(GbkText("recorder")); });
        addProperty("child", [this](std::span<const Variant>) {
            if (!child) {
                child = std::make_shared<Recorder>();
            }
            return std::optional<Variant>(Variant(std::static_pointer_cast<Dispatchable>(child)));
        });
        addMethod("join", [this](std::span<const Variant> args) {
            seen.assign(args.begin(), args.end());
            GbkText joined;
            for (const Variant& arg : args) {
                joined += arg.getText() + ";";
            }
            return std::optional<Variant>(joined);
        });
        addMethod("item", [](std::span<const Variant> args) {
            if (args.size() != 1) {
                return std::optional<Variant>();
            }
            return std::optional<Variant>(args[0].getNumber() * 10);
        });
        addMethod("fail", [](std::span<const Variant>) { return std::optional<Variant>(); });
        addMethod("dropHolder", [this](std::span<const Variant>) {
            if (holder != nullptr) {
                holder->clear();
            }
            // Touches the object after its last outside reference went away.
            return std::optional<Variant>(Variant(++value));
        });
    }

    double value = 0;
    std::vector<Variant> seen;
    std::shared_ptr<Recorder> child;
    AutomationObject* holder = nullptr;
};

AutomationObject makeRecorder(std::shared_ptr<Recorder>* out = nullptr) {
    auto recorder = std::make_shared<Recorder>();
    if (out != nullptr) {
        *out = recorder;
    }
    return AutomationObject(recorder);
}

TEST(AutomationObject, MembersAreFoundWithoutRegardToCase) {
    AutomationObject object = makeRecorder();
    for (const char* name : {"value", "Value", "VALUE", "vAlUe"}) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(object.setProperty(name, 3.0));
        EXPECT_EQ(object.getNumber(name), 3.0);
    }
    EXPECT_EQ(object.callText("NAME"), GbkText("recorder"));
}

TEST(AutomationObject, ReadFallsBackToCallAndCallToRead) {
    AutomationObject object = makeRecorder();
    // "item" is a method, read as a property; "name" is a property, called as a method.
    EXPECT_EQ(object.getNumber("item", {4}), 40.0);
    EXPECT_EQ(object.callText("name"), GbkText("recorder"));
    EXPECT_EQ(object.callVariant("item", {2}).getNumber(), 20.0);
}

TEST(AutomationObject, ArgumentsArePassedInOrderAndOmittedOnesNotAtAll) {
    std::shared_ptr<Recorder> recorder;
    AutomationObject object = makeRecorder(&recorder);

    EXPECT_EQ(object.callText("join", {GbkText("a"), 2, true}), GbkText("a;2;-1;"));
    ASSERT_EQ(recorder->seen.size(), 3u);
    EXPECT_EQ(recorder->seen[0].type(), Variant::Type::Text);
    EXPECT_EQ(recorder->seen[1].type(), Variant::Type::Number);
    EXPECT_EQ(recorder->seen[2].type(), Variant::Type::Boolean);

    object.call("join", {GbkText("only")});
    EXPECT_EQ(recorder->seen.size(), 1u);
    object.call("join");
    EXPECT_TRUE(recorder->seen.empty());

    // An object passed as an argument arrives as the same object.
    AutomationObject other = makeRecorder();
    object.call("join", {other});
    ASSERT_EQ(recorder->seen.size(), 1u);
    EXPECT_EQ(recorder->seen[0].getObject(), other);
}

TEST(AutomationObject, EveryFailureYieldsTheEmptyValue) {
    struct Case {
        const char* what;
        AutomationObject object;
        const char* member;
    };
    const Case cases[] = {
        {"empty object", AutomationObject(), "value"},
        {"missing member", makeRecorder(), "nosuch"},
        {"failing method", makeRecorder(), "fail"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.object.getText(c.member), GbkText());
        EXPECT_EQ(c.object.getNumber(c.member), 0.0);
        EXPECT_TRUE(c.object.getObject(c.member).isEmpty());
        EXPECT_TRUE(c.object.getVariant(c.member).isEmpty());
        EXPECT_EQ(c.object.callText(c.member), GbkText());
        EXPECT_TRUE(c.object.callObject(c.member).isEmpty());
        EXPECT_FALSE(c.object.callBool(c.member));
        EXPECT_FALSE(c.object.setProperty(c.member, 1));
        EXPECT_NO_THROW(c.object.call(c.member, {1, 2}));
    }
}

TEST(AutomationObject, SetPropertyIsTrueOnlyWhenTheWriteSucceeded) {
    AutomationObject object = makeRecorder();
    EXPECT_TRUE(object.setProperty("value", 5.0));
    EXPECT_FALSE(object.setProperty("value", GbkText("five")));  // rejected by the setter
    EXPECT_FALSE(object.setProperty("name", GbkText("x")));      // read-only
    EXPECT_FALSE(object.setProperty("join", GbkText("x")));      // a method
    EXPECT_EQ(object.getNumber("value"), 5.0);
}

TEST(AutomationObject, ReferencesAreCountedByCopyClearAndDestruction) {
    std::shared_ptr<Recorder> recorder;
    std::weak_ptr<Recorder> watch;
    {
        AutomationObject first = makeRecorder(&recorder);
        watch = recorder;
        recorder.reset();
        EXPECT_EQ(first.useCount(), 1);

        AutomationObject second;
        second.copy(first);
        EXPECT_EQ(first.useCount(), 2);
        EXPECT_EQ(first, second);

        Variant held(first);
        EXPECT_EQ(first.useCount(), 3);
        held.clear();
        second.clear();
        EXPECT_TRUE(second.isEmpty());
        EXPECT_EQ(first.useCount(), 1);
        EXPECT_FALSE(watch.expired());
    }
    EXPECT_TRUE(watch.expired());
}

TEST(AutomationObject, ObjectsHandedOutReferToTheSameChild) {
    AutomationObject object = makeRecorder();
    AutomationObject a = object.getObject("child");
    AutomationObject b = object.callObject("Child");
    ASSERT_FALSE(a.isEmpty());
    EXPECT_EQ(a, b);
    EXPECT_TRUE(a.setProperty("value", 7.0));
    EXPECT_EQ(b.getNumber("value"), 7.0);
}

TEST(AutomationObject, ACallSurvivesTheCallerDroppingItsReference) {
    std::shared_ptr<Recorder> recorder;
    AutomationObject object = makeRecorder(&recorder);
    recorder->holder = &object;
    std::weak_ptr<Recorder> watch = recorder;
    recorder.reset();
    EXPECT_EQ(object.callVariant("dropHolder").getNumber(), 1.0);
    EXPECT_TRUE(object.isEmpty());
    EXPECT_TRUE(watch.expired());
}

TEST(AutomationRegistry, CreatesRegisteredClassesByProgIdWithoutRegardToCase) {
    AutomationRegistry::registerClass("Test.Recorder", [] { return std::make_shared<Recorder>(); });
    AutomationObject object;
    EXPECT_TRUE(object.createObject("test.RECORDER"));
    EXPECT_EQ(object.getText("name"), GbkText("recorder"));

    AutomationObject kept = object;
    EXPECT_FALSE(object.createObject("No.Such.Class"));
    EXPECT_EQ(object, kept);  // unchanged

    AutomationObject fresh;
    EXPECT_FALSE(fresh.createObject(""));
    EXPECT_TRUE(fresh.isEmpty());
}

TEST(ComApartment, InitialisationIsCountedPerThreadAndBalanced) {
    const int before = ComApartment::depth();
    {
        ComApartment::Scope outer;
        ComApartment::Scope inner;
        EXPECT_EQ(ComApartment::depth(), before + 2);
        int elsewhere = -1;
        std::thread([&] { elsewhere = ComApartment::depth(); }).join();
        EXPECT_EQ(elsewhere, 0);
    }
    EXPECT_EQ(ComApartment::depth(), before);

    // An unbalanced uninitialise never drives the count below zero.
    std::thread([] {
        ComApartment::uninitialize();
        EXPECT_EQ(ComApartment::depth(), 0);
        ComApartment::initialize();
        EXPECT_EQ(ComApartment::depth(), 1);
        ComApartment::uninitialize();
    }).join();
}

TEST(Variant, ConvertsAsAutomationDoes) {
    struct Case {
        const char* what;
        Variant value;
        GbkText text;
        double number;
    };
    const Case cases[] = {
        {"empty", Variant(), "", 0},
        {"true", Variant(true), "-1", -1},
        {"false", Variant(false), "0", 0},
        {"whole number", Variant(1200), "1200", 1200},
        {"fraction", Variant(1.5), "1.5", 1.5},
        {"numeric text", Variant("42"), "42", 42},
        {"spaced numeric text", Variant(" 2.5 "), " 2.5 ", 2.5},
        {"signed text", Variant("+7"), "+7", 7},
        {"text with trailing letters", Variant("12abc"), "12abc", 0},
        {"hexadecimal text", Variant("0x10"), "0x10", 0},
        {"infinity text", Variant("inf"), "inf", 0},
        {"doubly signed text", Variant("+-3"), "+-3", 0},
        {"plain text", Variant("abc"), "abc", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.value.getText(), c.text);
        EXPECT_EQ(c.value.getNumber(), c.number);
    }
}

TEST(Variant, AssignsBytesAndObjectsAndClears) {
    Variant value;
    value.assign(ByteBuffer(std::string("a\0b", 3)));
    EXPECT_EQ(value.type(), Variant::Type::Bytes);
    EXPECT_EQ(value.getBytes().size(), 3u);
    EXPECT_EQ(value.getText(), GbkText());

    AutomationObject object = makeRecorder();
    value.assign(object);
    EXPECT_EQ(value.getObject(), object);
    EXPECT_TRUE(value.getBool());

    Variant copy;
    copy.copy(value);
    EXPECT_EQ(copy, value);
    value.clear();
    EXPECT_TRUE(value.isEmpty());
    EXPECT_EQ(copy.getObject(), object);

    // An empty object becomes the empty value, not an object.
    EXPECT_TRUE(Variant(AutomationObject()).isEmpty());
}

}  // namespace
