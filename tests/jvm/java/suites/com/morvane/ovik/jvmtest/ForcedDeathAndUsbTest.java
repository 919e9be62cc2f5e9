package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertTrue;

import com.morvane.ovik.jvmtest.support.NativeHelper;
import java.util.List;
import org.junit.jupiter.api.Test;

/** The notifications a holder of the listener raises: forced death and USB control. */
class ForcedDeathAndUsbTest extends ServiceTest {
    private static List<Event> noticesOf(int msgType) {
        return events.matching(e -> e.msgType() == msgType);
    }

    private static int lastIndexOf(List<Event> all, java.util.function.Predicate<Event> which) {
        for (int i = all.size() - 1; i >= 0; --i) {
            if (which.test(all.get(i))) return i;
        }
        return -1;
    }

    private static void assertNotice(Event event, int msgType, int ext1, int ext2, String text) {
        assertEquals(List.of(msgType, ext1, ext2, text),
                List.of(event.msgType(), event.ext1(), event.ext2(), event.obj()));
    }

    @Test
    void a_forced_death_deletes_every_client_and_reports_them_in_ascending_id_order() {
        setUpAnswerPaths("sweep_7", 7);
        setUpAnswerPaths("sweep_3", 3);
        setUpAnswerPaths("sweep_5", 5);
        assertEquals(0, command(7, "sweep_7", "force_death gone"));
        List<Event> notices = noticesOf(100);
        assertEquals(3, notices.size(), "events: " + events.events());
        assertNotice(notices.get(0), 100, 2, 3, "gone");
        assertNotice(notices.get(1), 100, 2, 5, "gone");
        assertNotice(notices.get(2), 100, 2, 7, "gone");
        assertEquals(0, NativeHelper.registeredClients());
        assertEquals(1, command(3, "sweep_3", "say 1 still here"));
    }

    @Test
    void a_forced_death_with_only_the_commanding_client_reports_that_one() {
        setUpAnswerPaths("alone_8", 8);
        assertEquals(0, command(8, "alone_8", "force_death alone"));
        List<Event> notices = noticesOf(100);
        assertEquals(1, notices.size());
        assertNotice(notices.get(0), 100, 2, 8, "alone");
    }

    @Test
    void a_death_notice_with_no_particular_reason_is_passed_on_and_deletes_no_client() {
        setUpAnswerPaths("reason_9", 9);
        assertEquals(0, command(9, "reason_9", "died_unknown 12 just so"));
        List<Event> notices = noticesOf(100);
        assertEquals(1, notices.size());
        assertNotice(notices.get(0), 100, 1, 12, "just so");
        assertEquals(1, NativeHelper.registeredClients());
    }

    @Test
    void a_usb_control_change_reaches_every_client_in_ascending_id_order() {
        setUpAnswerPaths("usb_9", 9);
        setUpAnswerPaths("usb_4", 4);
        assertEquals(0, command(9, "usb_9", "usb 1 owned"));
        List<Event> notices = noticesOf(1123);
        assertEquals(2, notices.size(), "events: " + events.events());
        assertNotice(notices.get(0), 1123, 1, 4, "owned");
        assertNotice(notices.get(1), 1123, 1, 9, "owned");
        assertEquals(2, NativeHelper.registeredClients());
        assertEquals(0, command(4, "usb_4", "say 1 still here"));
    }

    @Test
    void the_sweep_destroys_clients_that_answer_from_teardown_and_from_threads_of_their_own()
            throws Exception {
        int[] ids = {31, 32, 33};
        for (int id : ids) {
            String name = "busy_" + id;
            setUpAnswerPaths(name, id);
            assertEquals(0, command(id, name, "start_client"));
            assertEquals(0, command(id, name, "farewell bye" + id));
            assertEquals(0, command(id, name, "thread_say 7 0 tick"));
        }
        for (int id : ids) assertFalse(events.await(text(7, id, "tick"), 1, WAIT).isEmpty());
        runJoined("ovik-sweeper",
                () -> assertEquals(0, command(31, "busy_31", "force_death swept")));

        List<Event> all = events.events();
        List<Event> notices = noticesOf(100);
        assertEquals(3, notices.size(), "events: " + notices);
        for (int i = 0; i < ids.length; ++i) assertNotice(notices.get(i), 100, 2, ids[i], "swept");
        int firstNotice = all.indexOf(notices.get(0));
        for (int id : new int[] {32, 33}) {
            int tearDown = all.indexOf(events.matching(text(6, id, "bye" + id)).get(0));
            int destroyed =
                    all.indexOf(events.matching(text(8, id, "destroyed bye" + id)).get(0));
            assertTrue(tearDown < destroyed && destroyed < firstNotice,
                    "client " + id + " answered after the death notices");
            int lastTick = lastIndexOf(all, text(7, id, "tick"));
            assertTrue(lastTick >= 0, "client " + id + " never ticked");
            assertTrue(lastTick < firstNotice, "client " + id + " ticked after its destruction");
        }
        // The commanding client is destroyed when its command returns.
        awaitEvents(text(8, 31, "destroyed bye31"), 1);
        assertEquals(0, NativeHelper.registeredClients());
    }
}
