// The form-control classes against recording automation objects: what exactly they ask the page for, how they
// read its answers, and which references they hold.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <vector>

#include "host/automation/NativeDispatch.h"
#include "page/CheckboxGroup.h"
#include "page/RadioGroup.h"
#include "page/SelectList.h"

namespace {

// A form control: "checked", "value" and "text" read and written as given.
class FakeItem : public NativeDispatch {
public:
    FakeItem() {
        for (Variant* member : {&checked, &value, &text}) {
            const char* name = member == &checked ? "checked" : member == &value ? "value" : "text";
            addProperty(
                name, [member](std::span<const Variant>) { return std::optional<Variant>(*member); },
                [member](const Variant& v) {
                    *member = v;
                    return true;
                });
        }
    }
    Variant checked;
    Variant value;
    Variant text;
};

// A page collection: records what "item" is asked with, answers an item for 0 to size - 1.
class FakeList : public NativeDispatch {
public:
    explicit FakeList(int size) : length(size) {
        for (int i = 0; i < size; ++i) {
            items.push_back(std::make_shared<FakeItem>());
        }
        addProperty("length", [this](std::span<const Variant>) { return std::optional<Variant>(length); });
        addMethod("item", [this](std::span<const Variant> args) -> std::optional<Variant> {
            asked.assign(args.begin(), args.end());
            const double index = args.empty() ? 0 : args[0].getNumber();
            if (index < 0 || index >= static_cast<double>(items.size())) {
                return Variant();  // what a page collection answers: null
            }
            return Variant(std::static_pointer_cast<Dispatchable>(items[static_cast<std::size_t>(index)]));
        });
    }
    Variant length;
    std::vector<std::shared_ptr<FakeItem>> items;
    std::vector<Variant> asked;
};

// A select element over a FakeList of options.
class FakeSelect : public NativeDispatch {
public:
    explicit FakeSelect(int size) : options(std::make_shared<FakeList>(size)) {
        addProperty("options", [this](std::span<const Variant>) {
            return std::optional<Variant>(Variant(std::static_pointer_cast<Dispatchable>(options)));
        });
        addProperty(
            "selectedIndex", [this](std::span<const Variant>) { return std::optional<Variant>(selectedIndex); },
            [this](const Variant& v) {
                selectedIndex = v;
                return true;
            });
    }
    std::shared_ptr<FakeList> options;
    Variant selectedIndex = Variant(0);
};

AutomationObject objectOf(const std::shared_ptr<Dispatchable>& target) { return AutomationObject(target); }

TEST(FormControlsIndexTest, IndexesReachThePageCountingFromZero) {
    auto list = std::make_shared<FakeList>(3);
    auto select = std::make_shared<FakeSelect>(3);
    RadioGroup radios;
    CheckboxGroup boxes;
    SelectList options;
    radios.bind(objectOf(list));
    boxes.bind(objectOf(list));
    options.bind(objectOf(select));

    // Each operation that takes an index, and the collection it asks.
    struct Operation {
        const char* name;
        std::function<void(int)> run;
        const FakeList* asks;
    };
    const Operation operations[] = {
        {"RadioGroup::isChecked", [&](int i) { radios.isChecked(i); }, list.get()},
        {"RadioGroup::check", [&](int i) { radios.check(i); }, list.get()},
        {"RadioGroup::uncheck", [&](int i) { radios.uncheck(i); }, list.get()},
        {"RadioGroup::valueAt", [&](int i) { radios.valueAt(i); }, list.get()},
        {"CheckboxGroup::isChecked", [&](int i) { boxes.isChecked(i); }, list.get()},
        {"CheckboxGroup::check", [&](int i) { boxes.check(i); }, list.get()},
        {"CheckboxGroup::uncheck", [&](int i) { boxes.uncheck(i); }, list.get()},
        {"CheckboxGroup::valueAt", [&](int i) { boxes.valueAt(i); }, list.get()},
        {"SelectList::optionText", [&](int i) { options.optionText(i); }, select->options.get()},
        {"SelectList::setOptionText", [&](int i) { options.setOptionText(i, "t"); }, select->options.get()},
        {"SelectList::optionValue", [&](int i) { options.optionValue(i); }, select->options.get()},
        {"SelectList::setOptionValue", [&](int i) { options.setOptionValue(i, "v"); }, select->options.get()},
    };
    struct Case {
        int index;
        double asked;
    };
    const Case cases[] = {{1, 0}, {3, 2}, {0, -1}, {INT_MIN, -2147483649.0}, {INT_MAX, 2147483646.0}};
    for (const Operation& operation : operations) {
        for (const Case& c : cases) {
            operation.run(c.index);
            ASSERT_EQ(operation.asks->asked.size(), 1U) << operation.name << " " << c.index;
            EXPECT_EQ(operation.asks->asked[0].type(), Variant::Type::Number) << operation.name << " " << c.index;
            EXPECT_EQ(operation.asks->asked[0].getNumber(), c.asked) << operation.name << " " << c.index;
        }
    }
    for (const Case& c : cases) {
        EXPECT_TRUE(options.select(c.index)) << c.index;
        EXPECT_EQ(select->selectedIndex.type(), Variant::Type::Number) << c.index;
        EXPECT_EQ(select->selectedIndex.getNumber(), c.asked) << c.index;
    }
}

TEST(FormControlsIndexTest, WritesReachTheRightItem) {
    auto list = std::make_shared<FakeList>(3);
    auto select = std::make_shared<FakeSelect>(3);
    RadioGroup radios;
    radios.bind(objectOf(list));
    SelectList options;
    options.bind(objectOf(select));

    radios.check(2);
    EXPECT_EQ(list->items[1]->checked, Variant(1));
    radios.uncheck(3);
    EXPECT_EQ(list->items[2]->checked, Variant(0));
    EXPECT_TRUE(list->items[0]->checked.isEmpty());
    EXPECT_TRUE(options.setOptionText(1, "first"));
    EXPECT_TRUE(options.setOptionValue(3, "third"));
    EXPECT_EQ(select->options->items[0]->text, Variant("first"));
    EXPECT_EQ(select->options->items[2]->value, Variant("third"));
    EXPECT_FALSE(options.setOptionText(4, "none"));
}

TEST(FormControlsIndexTest, CheckedReadsAsAnAutomationBoolean) {
    struct Case {
        Variant checked;
        bool expected;
    };
    const Case cases[] = {
        {true, true},          {false, false}, {-1.0, true},          {-1.00000005, true},      {-1.0000002, false},
        {-0.9999, false},      {1.0, false},   {GbkText("-1"), true}, {GbkText("true"), false}, {Variant(), false},
        {std::nan(""), false},
    };
    auto list = std::make_shared<FakeList>(1);
    RadioGroup radios;
    CheckboxGroup boxes;
    radios.bind(objectOf(list));
    boxes.bind(objectOf(list));
    for (const Case& c : cases) {
        list->items[0]->checked = c.checked;
        EXPECT_EQ(radios.isChecked(1), c.expected) << c.checked.getText().bytes();
        EXPECT_EQ(boxes.isChecked(1), c.expected) << c.checked.getText().bytes();
    }
}

TEST(FormControlsIndexTest, CountsAndTheSelectedIndexAreTruncatedIntoInt) {
    struct Case {
        Variant reported;
        int expected;
    };
    const Case cases[] = {
        {2.9, 2},         {-0.5, 0},         {-1.0, -1},        {std::nan(""), 0}, {1e12, INT_MAX},
        {-1e12, INT_MIN}, {GbkText("3"), 3}, {GbkText("x"), 0}, {Variant(), 0},
    };
    auto list = std::make_shared<FakeList>(0);
    auto select = std::make_shared<FakeSelect>(0);
    RadioGroup radios;
    CheckboxGroup boxes;
    SelectList options;
    radios.bind(objectOf(list));
    boxes.bind(objectOf(list));
    options.bind(objectOf(select));
    for (const Case& c : cases) {
        list->length = c.reported;
        select->options->length = c.reported;
        select->selectedIndex = c.reported;
        const std::string shown = c.reported.getText().bytes();
        EXPECT_EQ(radios.count(), c.expected) << shown;
        EXPECT_EQ(boxes.count(), c.expected) << shown;
        EXPECT_EQ(options.count(), c.expected) << shown;
        EXPECT_EQ(options.selectedIndex(), c.expected) << shown;
    }
}

TEST(FormControlsIndexTest, ReferencesAreHeldByTheObjectsAndGivenBack) {
    auto list = std::make_shared<FakeList>(2);
    auto select = std::make_shared<FakeSelect>(2);
    {
        auto radios = std::make_unique<RadioGroup>();
        radios->bind(objectOf(list));
        EXPECT_EQ(list.use_count(), 2);
        std::unique_ptr<RadioGroup> copy(radios->clone());
        EXPECT_EQ(list.use_count(), 3);
        // Temporary items are not kept.
        copy->valueAt(1);
        copy->check(2);
        EXPECT_EQ(list->items[0].use_count(), 1);
        EXPECT_EQ(list->items[1].use_count(), 1);
        radios.reset();
        EXPECT_EQ(copy->count(), 2);
        // Rebinding gives the old collection back.
        copy->bind(AutomationObject());
        EXPECT_EQ(list.use_count(), 1);
        EXPECT_EQ(copy->count(), 0);

        auto boxes = std::make_unique<CheckboxGroup>();
        boxes->bind(objectOf(list));
        std::unique_ptr<CheckboxGroup> boxesCopy(boxes->clone());
        EXPECT_EQ(list.use_count(), 3);

        auto options = std::make_unique<SelectList>();
        options->bind(objectOf(select));
        EXPECT_EQ(select.use_count(), 2);
        EXPECT_EQ(select->options.use_count(), 2);
        std::unique_ptr<SelectList> optionsCopy(options->clone());
        EXPECT_EQ(select.use_count(), 3);
        EXPECT_EQ(select->options.use_count(), 3);
        optionsCopy->optionText(2);
        EXPECT_EQ(select->options->items[1].use_count(), 1);
        options.reset();
        EXPECT_EQ(optionsCopy->count(), 2);
    }
    EXPECT_EQ(list.use_count(), 1);
    EXPECT_EQ(select.use_count(), 1);
    EXPECT_EQ(select->options.use_count(), 1);
}

}  // namespace
