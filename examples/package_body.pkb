create or replace package body order_admin as
  /* Moves an order to a new status and records who did it. */
  procedure set_status(p_order_id in number, p_status in varchar2) is
  begin
    update orders set order_status = p_status, last_changed = sysdate where order_id = p_order_id;
    insert into order_log (order_id, status, changed_by) values (p_order_id, p_status, user);
  end set_status;
end order_admin;
/
