package com.morvane.ovik.jvmtest;

import static org.junit.jupiter.api.Assertions.assertEquals;
import static org.junit.jupiter.api.Assertions.assertFalse;
import static org.junit.jupiter.api.Assertions.assertThrows;

import com.morvane.ovik.jvmtest.support.NativeHelper;
import java.util.List;
import org.junit.jupiter.api.BeforeEach;
import org.junit.jupiter.api.Test;

/** Callbacks that throw: the caller sees the exception, and no later notice is lost. */
class CallbackExceptionTest extends ServiceTest {
    /** Thrown by the event sink for every event it receives. */
    static final class RefusedEvent extends RuntimeException {
        private static final long serialVersionUID = 1L;

        RefusedEvent(Event event) {
            super("refused " + event.ext2() + " " + event.obj());
        }
    }

    @BeforeEach
    void refuseEveryEvent() {
        events.setReaction(event -> {
            throw new RefusedEvent(event);
        });
    }

    @Test
    void an_exception_thrown_by_a_callback_reaches_the_java_caller_of_the_command() {
        setUpAnswerPaths("throw_51", 51);
        RefusedEvent thrown =
                assertThrows(RefusedEvent.class, () -> command(51, "throw_51", "say 2 first"));
        assertEquals("refused 51 first", thrown.getMessage());
    }

    @Test
    void every_death_notice_is_delivered_and_the_first_exception_reaches_the_caller() {
        setUpAnswerPaths("throw_53", 53);
        setUpAnswerPaths("throw_52", 52);
        setUpAnswerPaths("throw_54", 54);
        RefusedEvent thrown = assertThrows(
                RefusedEvent.class, () -> command(53, "throw_53", "force_death thrown"));
        assertEquals("refused 52 thrown", thrown.getMessage());
        List<Event> notices = events.matching(e -> e.msgType() == 100);
        assertEquals(List.of(52, 53, 54), notices.stream().map(Event::ext2).toList());
        assertEquals(0, NativeHelper.registeredClients());
    }

    @Test
    void every_usb_notice_is_delivered_and_the_first_exception_reaches_the_caller() {
        setUpAnswerPaths("throw_56", 56);
        setUpAnswerPaths("throw_55", 55);
        RefusedEvent thrown =
                assertThrows(RefusedEvent.class, () -> command(56, "throw_56", "usb 0 back"));
        assertEquals("refused 55 back", thrown.getMessage());
        assertEquals(List.of(55, 56),
                events.matching(e -> e.msgType() == 1123).stream().map(Event::ext2).toList());
    }

    @Test
    void exceptions_on_module_threads_are_cleared_and_every_answer_still_arrives()
            throws Exception {
        setUpAnswerPaths("throw_57", 57);
        assertEquals(0, command(57, "throw_57", "thread_say 3 4 boom"));
        List<Event> booms = awaitEvents(text(3, 57, "boom"), 4);
        assertEquals(0, command(57, "throw_57", "thread_stop"));
        for (Event boom : booms) {
            boom.thread().join(WAIT.toMillis());
            assertFalse(boom.thread().isAlive(), "still attached: " + boom.thread());
        }
    }

    @Test
    void exceptions_on_a_native_thread_attached_already_are_left_to_that_thread() {
        setUpAnswerPaths("throw_58", 58);
        assertEquals(2, NativeHelper.notifyFromAttachedThread(58, 2, "attached"));
        assertEquals(2, events.matching(e -> "attached".equals(e.obj())).size());
    }

    @Test
    void after_a_refused_event_the_next_command_works_normally() {
        setUpAnswerPaths("throw_59", 59);
        assertThrows(RefusedEvent.class, () -> command(59, "throw_59", "say 2 refused"));
        events.setReaction(null);
        assertEquals(0, command(59, "throw_59", "say 2 accepted"));
        assertEquals(1, events.matching(text(2, 59, "accepted")).size());
    }
}
