-- Orders above the average amount, with their customer and a size class.
with big_orders as (select order_id, customer_id, order_total from orders where order_total > (select avg(order_total) from orders))
select c.cust_last_name, c.cust_first_name, o.order_id, o.order_total,
case when o.order_total > 100000 then 'huge' when o.order_total > 10000 then 'large' else 'medium' end as size_class
from big_orders o join customers c on c.customer_id = o.customer_id
where c.nls_territory in ('AMERICA', 'JAPAN') and o.order_id between :first_order and :last_order
order by o.order_total desc, c.cust_last_name;
