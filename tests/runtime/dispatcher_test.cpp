// The runtime's dispatcher: one object, messages delivered by their length.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "shared/dispatcher.h"

TEST(Dispatcher, DeliversWholeMessagesToTheListener) {
    Dispatcher* dispatcher = Dispatcher::create();
    ASSERT_NE(dispatcher, nullptr);
    EXPECT_EQ(Dispatcher::create(), dispatcher);

    std::vector<std::vector<std::uint8_t>> got;
    dispatcher->Set_listener([&](const std::uint8_t* message, std::size_t size) {
        got.emplace_back(message, message + size);
    });
    const unsigned long sent = dispatcher->Sent();

    struct {
        DispatcherHdr header;
        std::uint8_t body[8];
    } message;
    message.header.length = 6;  // header and body: 24 octets
    message.header.dst = 9;
    message.header.cmd.Set(2, 0x123);
    std::memset(message.body, 0xAB, sizeof message.body);
    EXPECT_EQ(dispatcher->Send(&message, 0), 0);

    std::uint8_t short_message[16] = {3, 0};  // three words: below the header's own four
    EXPECT_EQ(dispatcher->Send(short_message, 0), -1);
    std::uint8_t header_only[16] = {4, 0};
    EXPECT_EQ(dispatcher->Send(header_only, 0), 0);

    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].size(), 24u);
    EXPECT_EQ(std::memcmp(got[0].data(), &message, 24), 0);
    EXPECT_EQ(got[1].size(), 16u);
    EXPECT_EQ(dispatcher->Sent(), sent + 2);

    dispatcher->Set_listener(nullptr);
    EXPECT_EQ(dispatcher->Send(header_only, 0), 0);  // counted, delivered nowhere
    EXPECT_EQ(dispatcher->Sent(), sent + 3);
}
