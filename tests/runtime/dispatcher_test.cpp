// The runtime's dispatcher: one object, messages delivered by their length.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shared/dispatcher.h"

TEST(Dispatcher, DeliversWholeMessagesToTheListener) {
    Dispatcher* dispatcher = Dispatcher::create();
    EXPECT_EQ(Dispatcher::create(), dispatcher);
    std::vector<std::vector<std::uint8_t>> got;
    dispatcher->Set_listener([&](const std::uint8_t* m, std::size_t size) { got.emplace_back(m, m + size); });
    const unsigned long sent = dispatcher->Sent();
    std::uint8_t message[32] = {6, 0, 9};  // six words: 24 octets
    std::memset(message + 16, 0xAB, 16);
    std::uint8_t header[16] = {4, 0}, too_short[16] = {3, 0};  // the header's own four words, and less
    EXPECT_EQ(dispatcher->Send(message, 0), 0);
    EXPECT_EQ(dispatcher->Send(too_short, 0), -1);
    EXPECT_EQ(dispatcher->Send(header, 0), 0);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0], std::vector<std::uint8_t>(message, message + 24));
    EXPECT_EQ(got[1].size(), 16u);
    dispatcher->Set_listener(nullptr);
    EXPECT_EQ(dispatcher->Send(message, 0), 0);  // counted, delivered nowhere
    EXPECT_EQ(dispatcher->Sent(), sent + 3);
}
